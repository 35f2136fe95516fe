// The module KTCompoundFile loads with the first compound file read or written: KTCompoundStorage
// behind plain names, so that libgsf loads with it and not with the program.

#include "app/KTCompoundStorage.h"

extern "C" Q_DECL_EXPORT int KTCompoundStorageInterface()
{
    return KTCompoundStorage::Interface;
}

extern "C" Q_DECL_EXPORT void KTCompoundStorageRead(const std::vector<std::uint8_t>& fileBytes,
                                                    KTCompoundFile::ReadResult& result)
{
    KTCompoundStorage::Read(fileBytes, result);
}

extern "C" Q_DECL_EXPORT bool KTCompoundStorageBuild(const std::vector<std::uint8_t>& contents,
                                                     const std::vector<std::uint8_t>* constantRanges,
                                                     const std::vector<std::uint8_t>* separators,
                                                     std::vector<std::uint8_t>& out)
{
    return KTCompoundStorage::Build(contents, constantRanges, separators, out);
}
