// Reading a whole regular file with bounded memory.
#include "util/regular_file.h"

#include <cerrno>

#include "util/file_os.h"

NUFileContent ReadRegularFile(const char* path, std::size_t limit) {
    NUFileContent content;
    NUFileOs& os = FileOs();
    NUFileHandle file = path ? os.openRead(path) : kInvalidFileHandle;
    if (file == kInvalidFileHandle) {
        content.error = path ? errno : EINVAL;
        content.result = content.error == ENOENT || content.error == ENOTDIR ? kFileReadMissing
                         : content.error == EISDIR                           ? kFileReadDirectory
                         : content.error == ENODEV                           ? kFileReadNotRegular
                                                                             : kFileReadFailed;
        return content;
    }
    content.modifiedNs = ModifiedTimeNs(file);
    char buffer[65536];
    content.result = kFileReadOk;
    // One byte past the limit tells whether the file goes on.
    while (content.text.size() <= limit) {
        std::size_t want = limit + 1 - content.text.size();
        long long n = os.read(file, buffer, want < sizeof buffer ? want : sizeof buffer);
        if (n < 0) {
            content.error = errno;
            content.result = kFileReadFailed;
            break;
        }
        if (n == 0) break;
        content.text.append(buffer, static_cast<std::size_t>(n));
    }
    if (content.text.size() > limit) {
        content.text.resize(limit);
        content.cut = true;
    }
    os.close(file);
    return content;
}
