#include "inspect/png_file.hpp"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace tarnvik {

const char* write_png_file(const char* name, const grey_picture& picture) {
    static std::string temporary;
    temporary = std::string(name) + ".partial-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return std::strerror(errno);
    }
    // A new file gets the permissions the user's mask allows, as any other.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        unlink(temporary.c_str());
        return std::strerror(error);
    }

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_GRAY;
    static std::string failure;
    failure.clear();
    if (png_image_write_to_stdio(&image, file, 0, picture.pixels.data(), 0, nullptr) == 0) {
        failure = image.message;
    }
    png_image_free(&image);
    if (failure.empty() && (std::fflush(file) != 0 || fsync(fileno(file)) != 0)) {
        failure = std::strerror(errno);
    }
    if (std::fclose(file) != 0 && failure.empty()) {
        failure = std::strerror(errno);
    }
    if (failure.empty() && std::rename(temporary.c_str(), name) != 0) {
        failure = std::strerror(errno);
    }
    if (!failure.empty()) {
        unlink(temporary.c_str());
    }
    return failure.c_str();
}

}  // namespace tarnvik
