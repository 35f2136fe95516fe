#pragma once
// What the command line asks of a start, in the forms the program has always accepted: a
// document to open, "/p" or "/pt" with a document to print, and the flags of embedding,
// automation, registration and shell requests. Flags start with "/" or "-" (also "--") and
// are matched without regard to case; anything else, a path starting with "/" included, is a
// document.

#include <QString>
#include <QStringList>

class KTCommandLineInfo
{
public:
    enum ShellCommand {
        FileNew,       ///< no document named: a new empty document
        FileOpen,      ///< open m_fileName
        FilePrint,     ///< "/p": print m_fileName on the default printer, then end
        FilePrintTo,   ///< "/pt": print m_fileName on m_printerName, then end
        FileDDE,       ///< "/dde": started for shell requests; no new document
        AppRegister,   ///< "/register" or "/regserver"
        AppUnregister, ///< "/unregister" or "/unregserver"
        FileNothing,   ///< embedding or automation: no document
    };

    /// Parses the arguments after the program's name.
    void ParseCommandLine(const QStringList& arguments);

    ShellCommand m_shellCommand = FileNew;
    QString m_fileName;
    QString m_printerName;
    bool m_runEmbedded = false;  ///< "/embedding"
    bool m_runAutomated = false; ///< "/automation"
    /// Further documents named after the first; opened as well.
    QStringList m_moreFiles;
};
