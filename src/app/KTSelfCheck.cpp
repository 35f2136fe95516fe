#include "app/KTSelfCheck.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTCallHomeManager.h"
#include "app/KTCompoundFile.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "platform/KTMessageBox.h"
#include "platform/KTModule.h"
#include "platform/KTSoundPlayer.h"

#include <cstdio>

namespace {

void Say(const QString& line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

int Fail(const QString& why)
{
    std::fprintf(stderr, "self check failed: %s\n", why.toLocal8Bit().constData());
    return 1;
}

} // namespace

int KTSelfCheck::Run(KTG300App& app, const QString& outputPath)
{
    const KTMessageBoxHandler previous =
        KTSetMessageBoxHandler([](const CString& caption, const CString& text, unsigned) {
            std::fprintf(stderr, "message box \"%s\": %s\n", caption.c_str(), text.c_str());
            return IDOK;
        });
    struct Restore
    {
        const KTMessageBoxHandler& handler;
        ~Restore() { KTSetMessageBoxHandler(handler); }
    } restore{previous};

    CMainFrame* frame = app.GetMainWnd();
    CChildFrame* child = frame ? frame->ActiveChild() : nullptr;
    if (!child || child->Document().GetPathName().isEmpty())
        return Fail(QStringLiteral("no document was read from the command line"));
    KTG300Doc& document = child->Document();
    Say(QStringLiteral("read %1").arg(document.GetPathName()));

    KTCallHomeManager& callHome = app.CallHome();
    callHome.ReadProgramFolder();
    callHome.m_tipFiles.clear();
    callHome.CountTips();
    const QString tips = callHome.m_programFolder.ToQString() + QStringLiteral("TipOfTheDay");
    if (callHome.m_tipFiles.empty())
        return Fail(QStringLiteral("no tip pages in %1").arg(tips));
    Say(QStringLiteral("tip pages %1 (%2)").arg(tips).arg(callHome.m_tipFiles.size()));

    if (!KTSoundPlayer::LoadModule())
        return Fail(QStringLiteral("the sound module does not load"));
    Say(QStringLiteral("sound module %1").arg(KTModule::LoadedFile(KTSoundPlayer::ModuleName)));
    if (!KTModule::Load(KTCallHomeManager::NetworkModuleName, nullptr))
        return Fail(QStringLiteral("the download module does not load"));
    Say(QStringLiteral("download module %1").arg(KTModule::LoadedFile(KTCallHomeManager::NetworkModuleName)));

    if (!document.OnSaveDocument(outputPath))
        return Fail(QStringLiteral("%1 could not be written").arg(outputPath));
    Say(QStringLiteral("storage module %1").arg(KTModule::LoadedFile(KTCompoundFile::StorageModuleName)));
    Say(QStringLiteral("wrote %1").arg(outputPath));
    KTG300Doc reread(&app.m_defaultOptions);
    if (!reread.OnOpenDocument(outputPath))
        return Fail(QStringLiteral("%1 could not be read back").arg(outputPath));
    if (reread.StoreContents() != document.StoreContents() ||
        reread.StoreConstantRanges() != document.StoreConstantRanges())
        return Fail(QStringLiteral("%1 reads back as another graph").arg(outputPath));
    Say(QStringLiteral("read back %1").arg(outputPath));
    return 0;
}
