#include "tests/windows/wine_prefix.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>

static std::string readText(const std::string& fileName)
{
    std::ifstream file(fileName);
    return {std::istreambuf_iterator<char>(file), {}};
}

WinePrefix makeWinePrefix()
{
    WinePrefix prefix;
    char name[] = "/tmp/textdemo-wine-XXXXXX";
    if (mkdtemp(name) == nullptr) {
        prefix.failure = "no temporary folder";
        return prefix;
    }
    prefix.folder = name;
    prefix.runFolder = prefix.folder + "/run";
    mkdir((prefix.folder + "/home").c_str(), 0700);
    mkdir(prefix.runFolder.c_str(), 0700);
    setenv("WINEPREFIX", (prefix.folder + "/prefix").c_str(), 1);
    setenv("HOME", (prefix.folder + "/home").c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "winealsa.drv=d;mscoree,mshtml=;winemenubuilder.exe=d", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");

    const std::string log = prefix.folder + "/wineboot.log";
    // The registry reaches the disk once the prefix's wine server has ended.
    const int status = system(("wine wineboot --init >" + log + " 2>&1 </dev/null && wineserver -w").c_str());
    struct stat registry;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        prefix.failure = "wine wineboot --init failed (status " + std::to_string(status) + "): " + readText(log);
    } else if (stat((prefix.folder + "/prefix/system.reg").c_str(), &registry) != 0) {
        prefix.failure = "wine wineboot --init made no prefix: " + readText(log);
    }
    return prefix;
}

void removeWinePrefix(const WinePrefix& prefix)
{
    if (prefix.folder.empty())
        return;
    (void)system("wineserver -k >/dev/null 2>&1");
    (void)system(("rm -rf '" + prefix.folder + "'").c_str());
}
