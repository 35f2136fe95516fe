#pragma once
// Root of the serialisable data classes, with a small registry of run-time classes
// (name, object size, schema, factory) that the document reader looks classes up in.

#include "platform/CString.h"

#include <memory>

class KTArchive;

class KTObject
{
public:
    virtual ~KTObject() = default;
    virtual void Serialize(KTArchive& ar);
};

struct KTRuntimeClass
{
    const char* name;
    int objectSize;
    unsigned schema;
    std::unique_ptr<KTObject> (*factory)();
};

/// Registers a class; a second class of the same name replaces the first.
void KTRegisterClass(const KTRuntimeClass& runtimeClass);
/// The class registered under the name, or nullptr.
const KTRuntimeClass* KTFindClass(const char* name);

/// Registers T at static-initialisation time: KTRegisterRuntimeClass<T> reg("T", 1);
template <typename T> struct KTRegisterRuntimeClass
{
    KTRegisterRuntimeClass(const char* name, unsigned schema)
    {
        KTRegisterClass({name, static_cast<int>(sizeof(T)), schema,
                         []() -> std::unique_ptr<KTObject> { return std::make_unique<T>(); }});
    }
};
