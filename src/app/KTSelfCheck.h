#pragma once
// The check an installation runs on the installed program (KTGRAPH3_SELF_CHECK, see main.cpp):
// the document given on the command line has been read; the check finds the tip pages, loads the
// sound and download modules, writes the document as a compound file, reads that file back into a new document and
// compares the two. Each step prints one line on the standard output, with the file a module was
// loaded from, so that the caller can see that they are the installed ones.

#include <QString>

class KTG300App;

class KTSelfCheck
{
public:
    /// 0 when every step passed, else 1 (the failing step says why on the standard error).
    /// Message boxes are printed instead of shown.
    static int Run(KTG300App& app, const QString& outputPath);
};
