// What every system's platform file shares: putting paths together and the
// wording of error reasons.
#include <cerrno>
#include <cstring>

#include "driver/platform.hpp"

namespace tarnvik {

bool append_text(char* out, std::size_t size, std::size_t& used, const char* text) {
    const std::size_t length = std::strlen(text);
    if (used + length >= size) {
        return false;
    }
    std::memcpy(out + used, text, length + 1);
    used += length;
    return true;
}

// The reasons a user can meet, in one wording on every system, so that the
// console reads the same wherever the program runs.
const char* error_text(int error) {
    switch (error) {
        case ENOENT:
            return "No such file or directory";
        case EACCES:
            return "Permission denied";
        case EEXIST:
            return "File exists";
        case EISDIR:
            return "Is a directory";
        case ENOTDIR:
            return "Not a directory";
        case ENAMETOOLONG:
            return "File name too long";
        case ENOSPC:
            return "No space left on device";
        case EFBIG:
            return "File too large";
        case EROFS:
            return "Read-only file system";
        case ENXIO:
            return "No such device or address";
        case EIO:
            return "Input/output error";
        case EBUSY:
            return "Device or resource busy";
        case EXDEV:
            return "Invalid cross-device link";
        case EMFILE:
            return "Too many open files";
        default:
            return std::strerror(error);
    }
}

}  // namespace tarnvik
