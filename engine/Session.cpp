#include "engine/Session.h"

#include "platform/Paths.h"

std::string sessionTitleOf(const std::string& fileName)
{
    std::string name = namePart(fileName);
    name.resize(name.size() >= 4 ? name.size() - 4 : 0);
    return name;
}
