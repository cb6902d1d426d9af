#include "file_stream.h"
#include "byte_order.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lrx {
namespace {

// Archives and replays are files: a FIFO would block the open until a writer
// came (and then feed whatever it is sent), a device or socket is no replay.
// Folders still open, as fopen opens them; their reads fail.
std::FILE* OpenForReading(const char* path) {
#ifdef _WIN32
    std::FILE* file = std::fopen(path, "rb");
    if (file &&
        GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != FILE_TYPE_DISK) {
        std::fclose(file);
        errno = EINVAL;
        return nullptr;
    }
    return file;
#else
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        errno = EINVAL;
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
#endif
}

}  // namespace

FileStream::FileStream(const char* path, const char* mode)
    : file_(mode[0] == 'r' ? OpenForReading(path) : std::fopen(path, mode)) {}

FileStream::FileStream(const char* path, const char* mode, std::size_t bufferSize)
    : FileStream(path, mode) {
    if (file_) {
        buffer_ = std::make_unique<char[]>(bufferSize);
        std::setvbuf(file_.get(), buffer_.get(), _IOFBF, bufferSize);
    }
}

bool FileStream::Close() {
    if (!file_) return true;
    const bool ok = std::fclose(file_.release()) == 0;
    buffer_.reset();
    return ok;
}

bool FileStream::Seek(int64_t offset) {
    if (offset < 0) return false;
#ifdef _WIN32
    return _fseeki64(file_.get(), offset, SEEK_SET) == 0;
#else
    return fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool FileStream::SeekEnd() {
#ifdef _WIN32
    return _fseeki64(file_.get(), 0, SEEK_END) == 0;
#else
    return fseeko(file_.get(), 0, SEEK_END) == 0;
#endif
}

int64_t FileStream::Tell() const {
#ifdef _WIN32
    return _ftelli64(file_.get());
#else
    return ftello(file_.get());
#endif
}

int64_t FileStream::Length() {
    const int64_t here = Tell();
    if (here < 0 || !SeekEnd()) return -1;
    const int64_t length = Tell();
    if (!Seek(here)) return -1;
    return length;
}

bool FileStream::ReadBytes(void* data, std::size_t count) {
    return std::fread(data, 1, count, file_.get()) == count;
}

bool FileStream::WriteBytes(const void* data, std::size_t count) {
    return std::fwrite(data, 1, count, file_.get()) == count;
}

bool FileStream::ReadU32(uint32_t& value) {
    unsigned char bytes[4];
    if (!ReadBytes(bytes, 4)) return false;
    value = LoadU32(bytes);
    return true;
}

bool FileStream::ReadI32(int32_t& value) {
    uint32_t raw;
    if (!ReadU32(raw)) return false;
    value = static_cast<int32_t>(raw);
    return true;
}

bool FileStream::WriteU32(uint32_t value) {
    unsigned char bytes[4];
    StoreU32(bytes, value);
    return WriteBytes(bytes, 4);
}

bool FileStream::WriteU16(uint16_t value) {
    unsigned char bytes[2];
    StoreU16(bytes, value);
    return WriteBytes(bytes, 2);
}

}  // namespace lrx
