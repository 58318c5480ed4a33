// bench/programa/marca_fotogramas.cpp — preloaded into a GLX program (LD_PRELOAD), it stamps
// every buffer swap: after the real glXSwapBuffers returns, the CLOCK_MONOTONIC time in
// nanoseconds goes as 8 bytes to the file descriptor named by MARCA_FOTOGRAMAS_FD. The driver
// that started the program reads them from a pipe, on the same clock as its own key events.
// Without the variable the swaps pass through untouched.
#include <GL/glx.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace {

using SwapBuffers = void (*)(Display *, GLXDrawable);

int descriptor()
{
    const char *valor = std::getenv("MARCA_FOTOGRAMAS_FD");
    return valor == nullptr ? -1 : static_cast<int>(std::strtol(valor, nullptr, 10));
}

} // namespace

extern "C" void glXSwapBuffers(Display *dpy, GLXDrawable drawable)
{
    // dlsym gives a function as a void *; a cast is the only way back.
    static const auto real = reinterpret_cast<SwapBuffers>( // NOLINT
        dlsym(RTLD_NEXT, "glXSwapBuffers"));
    static const int fd = descriptor();
    real(dpy, drawable);
    if (fd < 0) {
        return;
    }
    timespec ahora{};
    clock_gettime(CLOCK_MONOTONIC, &ahora);
    const std::int64_t ns = static_cast<std::int64_t>(ahora.tv_sec) * 1000000000 + ahora.tv_nsec;
    // A pipe takes 8 bytes in one piece. Should the driver have gone, the stamp is simply lost.
    const ssize_t escritos = write(fd, &ns, sizeof ns);
    static_cast<void>(escritos);
}
