#include <cstdio>
#include <exception>
#include <iostream>

#include "zephalon/cli/application.h"

int main(int argc, char** argv) {
    int status = 0;
    {
        zephalon::cli::Application application;
        // Everything, errors included, goes to standard output: callers parse one stream.
        try {
            application.setUp();
            status = application.run(argc, argv);
        } catch (const std::exception& error) {
            std::cout << error.what() << '\n';
            status = 1;
        } catch (...) {
            std::cout << "Unknown error.\n";
            status = 1;
        }
        // The application goes out of scope on the error path too, so telemetry is shut down and the telemetry
        // file is complete whatever happened.
    }
    std::cout.flush();
    // Output that never reached its destination (a full disk, a closed descriptor) fails the run, however the
    // command ended; that is said where it can still be read.
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::cerr << "Failed to write to standard output\n";
        return status != 0 ? status : 1;
    }
    // -1 ("no command named") becomes exit status 255.
    return status;
}
