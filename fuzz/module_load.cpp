// Module loading of arbitrary files: the bench either loads a gauge module or reports a
// load_error; nothing else. The system's dynamic loader is not built to withstand malformed
// ELF files and crashes on some, in dlopen or dlsym: each file is first loaded and its two
// records looked up in a child process, and one that kills or stalls the child is counted
// (reported at exit) instead of given to the bench.
#include "fuzz_support.h"

#include <fcntl.h>
#include <sys/wait.h>

#include <csignal>
#include <fstream>

namespace {

std::size_t inputs = 0, loader_faults = 0;

bool loader_survives(const std::string &path) {
    pid_t child = fork();
    if (child == 0) {
        for (int signal_number : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP})
            std::signal(signal_number, SIG_DFL);
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        alarm(5);
        // What the bench asks of the loader: the library, and the two records it exports.
        if (void *library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            dlsym(library, "ImportTable");
            dlsym(library, "Linkage");
        }
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::start_process();
    std::atexit([] {
        std::fprintf(stderr, "fuzz note: %zu of %zu inputs crash or stall the system's dynamic loader\n",
                     loader_faults, inputs);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string path = std::filesystem::absolute("module.so").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char *>(data), std::streamsize(size));
    ++inputs;
    if (!loader_survives(path)) {
        ++loader_faults;
        return 0;
    }
    try {
        bench::gauge_host host(path);
        host.install();
        host.frame();
    } catch (const bench::load_error &) {
    }
    platform::clear_recorded_calls();
    return 0;
}
