#pragma once
// What reads and builds the storage of compound files with libgsf. It lives in the module
// libktgraph3-storage.so that KTCompoundFile loads with the first compound file read or written,
// so that libgsf and the libraries it brings (GIO, GObject, libxml2 and theirs) stay out of the
// program's start; a program that links it in (a fuzzing harness) hands it to KTCompoundFile
// directly. Its functions may be called from any thread.

#include "app/KTCompoundFile.h"

#include <cstdint>
#include <vector>

class KTCompoundStorage
{
public:
    /// Raised whenever these functions or KTCompoundFile::ReadResult change, so that a module left
    /// from another build is refused rather than called with the wrong layout.
    static constexpr int Interface = 2;

    /// Fills result from the bytes of a compound file (they start with the signature): its
    /// "Contents" stream and its "ConstantRanges" and "Separators" streams when it has them, or a
    /// Damaged failure with
    /// the program's reason in error and the library's own words, if any, in detail.
    static void Read(const std::vector<std::uint8_t>& fileBytes, KTCompoundFile::ReadResult& result);

    /// A compound file whose stream "Contents" holds contents, with the streams "ConstantRanges"
    /// and "Separators" holding constantRanges and separators when given, into out; false (out
    /// empty) when it cannot be built.
    static bool Build(const std::vector<std::uint8_t>& contents,
                      const std::vector<std::uint8_t>* constantRanges,
                      const std::vector<std::uint8_t>* separators, std::vector<std::uint8_t>& out);
};
