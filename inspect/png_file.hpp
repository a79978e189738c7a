// Writing a grey picture as a PNG file.
#pragma once

#include "inspect/section_image.hpp"

namespace tarnvik {

// Writes the picture to a new file beside `name` and then puts it in
// `name`'s place, so that a file of that name is only ever whole. Returns
// an empty text, or why it failed.
const char* write_png_file(const char* name, const grey_picture& picture);

}  // namespace tarnvik
