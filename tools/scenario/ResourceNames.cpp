#include "ResourceNames.h"

#include <cstdlib>

#include "framework/Types.h"
#include "res/resource.h"

namespace {

struct ResourceName {
    const char* name;
    int id;
};

const ResourceName kNames[] = {
#include "ResourceNames.inc"
    {"IDOK", IDOK},
    {"IDCANCEL", IDCANCEL},
    {"ID_HELP", ID_HELP},
};

std::string NameWithPrefix(int id, const std::string& prefix) {
    for (const ResourceName& entry : kNames) {
        if (entry.id == id && std::string(entry.name).rfind(prefix, 0) == 0)
            return entry.name;
    }
    return std::string();
}

}  // namespace

bool ResourceIdFromWord(const std::string& word, int& id) {
    for (const ResourceName& entry : kNames) {
        if (word == entry.name) {
            id = entry.id;
            return true;
        }
    }
    if (word.empty())
        return false;
    char* end = nullptr;
    long number = std::strtol(word.c_str(), &end, 0);
    if (*end != '\0')
        return false;
    id = static_cast<int>(number);
    return true;
}

std::string ControlName(int id) {
    for (const char* prefix : {"IDC_", "IDOK", "IDCANCEL", "ID_HELP"}) {
        std::string name = NameWithPrefix(id, prefix);
        if (!name.empty())
            return name;
    }
    return std::to_string(id);
}

std::string TemplateName(int id) {
    std::string name = NameWithPrefix(id, "IDD_");
    return name.empty() ? std::to_string(id) : name;
}
