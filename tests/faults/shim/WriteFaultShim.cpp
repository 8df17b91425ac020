// Preloaded into a test process: makes the n-th call that puts bytes into a regular file, or
// moves one into place, fail, as a failing disk would. Library code reaches these calls
// through the C library's exported names (Qt through write/fsync/rename, libxlsxwriter,
// minizip and libgsf through stdio), so they are caught here on their way there. Only the
// thread that armed the shim is counted, so the event loop's own writes never shift the count.
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>

namespace {

// Calls that put data into a file, and calls that make a written file the one the user sees.
enum class Kind { Data, Sync, Move };

std::atomic<bool> armed{false};
pthread_t armer;
long failAt = 0; // 1-based call to fail
int failErrno = EIO;
bool sticky = false; // every data call from failAt on fails too (a disk that stays full)
long calls = 0;
long failures = 0;
int failedKind = -1;
bool unsynced = false; // data written since the last sync that went through
bool lostSync = false; // a sync failed while written data was not yet synced

template <typename F> F Real(const char* name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }

bool RegularFd(int fd)
{
    struct stat st;
    return fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

bool RegularStream(FILE* stream) { return stream && RegularFd(fileno(stream)); }

// Whether this call fails; counts it when it is one of ours.
bool Fails(Kind kind, bool regular)
{
    if (!armed.load(std::memory_order_acquire) || !regular || !pthread_equal(pthread_self(), armer))
        return false;
    ++calls;
    const bool fail = calls == failAt || (sticky && kind == Kind::Data && calls > failAt);
    if (kind == Kind::Data && !fail) unsynced = true;
    if (kind == Kind::Sync) {
        if (fail && unsynced) lostSync = true;
        if (!fail) unsynced = false;
    }
    if (fail) {
        ++failures;
        if (failedKind < 0) failedKind = int(kind);
        errno = failErrno;
    }
    return fail;
}

void MarkError(FILE* stream)
{
    // The stream's own error flag, so that ferror() tells the writer as a real failure would.
    stream->_flags |= 0x0020; // _IO_ERR_SEEN
}

} // namespace

extern "C" {

/// From now on the `n`-th counted call fails with `error`; with `stays`, every later data
/// call fails too. n = 0 only counts.
__attribute__((visibility("default"))) void lm11_shim_arm(long n, int error, int stays)
{
    failAt = n;
    failErrno = error;
    sticky = stays != 0;
    calls = 0;
    failures = 0;
    failedKind = -1;
    unsynced = false;
    lostSync = false;
    armer = pthread_self();
    armed.store(true, std::memory_order_release);
}
__attribute__((visibility("default"))) void lm11_shim_disarm()
{
    armed.store(false, std::memory_order_release);
}
__attribute__((visibility("default"))) long lm11_shim_calls() { return calls; }
__attribute__((visibility("default"))) long lm11_shim_failures() { return failures; }
/// Whether a sync failed while data written before it had not been synced yet.
__attribute__((visibility("default"))) long lm11_shim_lost_sync() { return lostSync; }

ssize_t write(int fd, const void* buf, size_t n)
{
    static auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    if (Fails(Kind::Data, RegularFd(fd))) return -1;
    return real(fd, buf, n);
}

ssize_t writev(int fd, const struct iovec* iov, int count)
{
    static auto real = Real<ssize_t (*)(int, const struct iovec*, int)>("writev");
    if (Fails(Kind::Data, RegularFd(fd))) return -1;
    return real(fd, iov, count);
}

ssize_t pwrite64(int fd, const void* buf, size_t n, off64_t at)
{
    static auto real = Real<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
    if (Fails(Kind::Data, RegularFd(fd))) return -1;
    return real(fd, buf, n, at);
}

ssize_t pwrite(int fd, const void* buf, size_t n, off_t at)
{
    static auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    if (Fails(Kind::Data, RegularFd(fd))) return -1;
    return real(fd, buf, n, at);
}

int fsync(int fd)
{
    static auto real = Real<int (*)(int)>("fsync");
    if (Fails(Kind::Sync, RegularFd(fd))) return -1;
    return real(fd);
}

int fdatasync(int fd)
{
    static auto real = Real<int (*)(int)>("fdatasync");
    if (Fails(Kind::Sync, RegularFd(fd))) return -1;
    return real(fd);
}

int rename(const char* from, const char* to)
{
    static auto real = Real<int (*)(const char*, const char*)>("rename");
    if (Fails(Kind::Move, true)) return -1;
    return real(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to)
{
    static auto real = Real<int (*)(int, const char*, int, const char*)>("renameat");
    if (Fails(Kind::Move, true)) return -1;
    return real(fromDir, from, toDir, to);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags)
{
    static auto real = Real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    if (Fails(Kind::Move, true)) return -1;
    return real(fromDir, from, toDir, to, flags);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags)
{
    static auto real = Real<int (*)(int, const char*, int, const char*, int)>("linkat");
    if (Fails(Kind::Move, true)) return -1;
    return real(fromDir, from, toDir, to, flags);
}

size_t fwrite(const void* p, size_t size, size_t n, FILE* stream)
{
    static auto real = Real<size_t (*)(const void*, size_t, size_t, FILE*)>("fwrite");
    if (Fails(Kind::Data, RegularStream(stream))) {
        MarkError(stream);
        return 0;
    }
    return real(p, size, n, stream);
}

int fputs(const char* s, FILE* stream)
{
    static auto real = Real<int (*)(const char*, FILE*)>("fputs");
    if (Fails(Kind::Data, RegularStream(stream))) {
        MarkError(stream);
        return EOF;
    }
    return real(s, stream);
}

int fputc(int c, FILE* stream)
{
    static auto real = Real<int (*)(int, FILE*)>("fputc");
    if (Fails(Kind::Data, RegularStream(stream))) {
        MarkError(stream);
        return EOF;
    }
    return real(c, stream);
}

int vfprintf(FILE* stream, const char* format, va_list args)
{
    static auto real = Real<int (*)(FILE*, const char*, va_list)>("vfprintf");
    if (Fails(Kind::Data, RegularStream(stream))) {
        MarkError(stream);
        return -1;
    }
    return real(stream, format, args);
}

int fprintf(FILE* stream, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int r = vfprintf(stream, format, args);
    va_end(args);
    return r;
}

int __vfprintf_chk(FILE* stream, int flag, const char* format, va_list args)
{
    static auto real = Real<int (*)(FILE*, int, const char*, va_list)>("__vfprintf_chk");
    if (Fails(Kind::Data, RegularStream(stream))) {
        MarkError(stream);
        return -1;
    }
    return real(stream, flag, format, args);
}

int __fprintf_chk(FILE* stream, int flag, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int r = __vfprintf_chk(stream, flag, format, args);
    va_end(args);
    return r;
}

int fflush(FILE* stream)
{
    static auto real = Real<int (*)(FILE*)>("fflush");
    if (Fails(Kind::Data, RegularStream(stream))) {
        MarkError(stream);
        return EOF;
    }
    return real(stream);
}

int fclose(FILE* stream)
{
    static auto real = Real<int (*)(FILE*)>("fclose");
    // The stream is closed either way; a failing close is where a full disk often shows.
    const bool fail = Fails(Kind::Data, RegularStream(stream));
    const int saved = errno;
    const int r = real(stream);
    if (!fail) return r;
    errno = saved;
    return EOF;
}

} // extern "C"
