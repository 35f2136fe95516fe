#include "platform/KTObject.h"

#include <cstring>
#include <vector>

void KTObject::Serialize(KTArchive&) {}

namespace {

std::vector<KTRuntimeClass>& Registry()
{
    static std::vector<KTRuntimeClass> classes;
    return classes;
}

} // namespace

void KTRegisterClass(const KTRuntimeClass& runtimeClass)
{
    for (auto& known : Registry())
        if (std::strcmp(known.name, runtimeClass.name) == 0) {
            known = runtimeClass;
            return;
        }
    Registry().push_back(runtimeClass);
}

const KTRuntimeClass* KTFindClass(const char* name)
{
    for (const auto& known : Registry())
        if (std::strcmp(known.name, name) == 0)
            return &known;
    return nullptr;
}
