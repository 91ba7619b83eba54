#include "support/runcommand.h"

#include <cstdio>
#include <sys/wait.h>

Invocation RunCommand(const std::string& command) {
    Invocation run{"", -1};
    FILE* pipe = ::popen((command + " 2>&1 </dev/null").c_str(), "r");
    if (!pipe)
        return run;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
        run.output.append(buf, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
