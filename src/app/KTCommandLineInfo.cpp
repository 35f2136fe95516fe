#include "app/KTCommandLineInfo.h"

namespace {

// The flag's name without its "/", "-" or "--", lower case; empty when the argument is no flag.
QString FlagName(const QString& argument)
{
    static const QStringList known = {
        QStringLiteral("embedding"), QStringLiteral("automation"), QStringLiteral("register"),
        QStringLiteral("regserver"), QStringLiteral("unregister"), QStringLiteral("unregserver"),
        QStringLiteral("p"),         QStringLiteral("pt"),         QStringLiteral("dde")};
    QString name = argument;
    if (name.startsWith(QLatin1String("--")))
        name = name.mid(2);
    else if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('-')))
        name = name.mid(1);
    else
        return {};
    name = name.toLower();
    return known.contains(name) ? name : QString();
}

} // namespace

void KTCommandLineInfo::ParseCommandLine(const QStringList& arguments)
{
    bool print = false;
    bool printTo = false;
    int printToParameters = 0; // after "/pt": the file, then printer, driver and port
    for (const QString& argument : arguments) {
        const QString flag = FlagName(argument);
        if (!flag.isEmpty()) {
            if (flag == QLatin1String("embedding"))
                m_runEmbedded = true;
            else if (flag == QLatin1String("automation"))
                m_runAutomated = true;
            else if (flag == QLatin1String("register") || flag == QLatin1String("regserver"))
                m_shellCommand = AppRegister;
            else if (flag == QLatin1String("unregister") || flag == QLatin1String("unregserver"))
                m_shellCommand = AppUnregister;
            else if (flag == QLatin1String("p"))
                print = true;
            else if (flag == QLatin1String("pt"))
                printTo = true;
            else if (flag == QLatin1String("dde"))
                m_shellCommand = FileDDE;
            continue;
        }
        if (printTo && !m_fileName.isEmpty()) {
            // "/pt file printer driver port": only the printer's name means something here.
            if (printToParameters++ == 0)
                m_printerName = argument;
            continue;
        }
        if (m_fileName.isEmpty())
            m_fileName = argument;
        else
            m_moreFiles.append(argument);
    }
    if (m_runEmbedded || m_runAutomated) {
        m_shellCommand = FileNothing;
        return;
    }
    if (m_shellCommand == AppRegister || m_shellCommand == AppUnregister || m_shellCommand == FileDDE)
        return;
    if (m_fileName.isEmpty())
        m_shellCommand = FileNew;
    else if (printTo)
        m_shellCommand = FilePrintTo;
    else if (print)
        m_shellCommand = FilePrint;
    else
        m_shellCommand = FileOpen;
}
