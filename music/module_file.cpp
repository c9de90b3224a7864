#include "music/module_file.h"

#include <exception>
#include <libopenmpt/libopenmpt.hpp>
#include <map>
#include <string>

#include "platform/file.h"

bool readModuleFile(const char* fileName, std::vector<uint8_t>& bytes)
{
    return readWholeFile(fileName, kLargestModuleBytes, bytes);
}

std::unique_ptr<openmpt::module> openModule(const std::vector<uint8_t>& bytes, std::ostream& log)
{
    if (bytes.empty()) {
        return nullptr;
    }
    const std::map<std::string, std::string> settings = {{"play.at_end", "stop"}};
    try {
        auto module = std::make_unique<openmpt::module>(bytes.data(), bytes.size(), log, settings);
        module->set_repeat_count(0);
        return module;
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::unique_ptr<openmpt::module> loadModule(const char* fileName, std::ostream& log)
{
    std::vector<uint8_t> bytes;
    if (!readModuleFile(fileName, bytes)) {
        return nullptr;
    }
    return openModule(bytes, log);
}
