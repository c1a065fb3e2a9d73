// qnscript FILE.js [ARGS...]: runs a script against the COM runtime.

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qnscript FILE.js [ARGS...]\n");
        return 2;
    }
    std::fprintf(stderr, "qnscript: the script engine is not built yet\n");
    return 2;
}
