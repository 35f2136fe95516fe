#include "app/KTCallHomeManager.h"

#include "app/KTFirstRunDlg.h"
#include "app/KTTipOfTheDayDlg.h"
#include "app/KTUpdateAvailableDlg.h"
#include "foundation/CDiskObject.h"
#include "foundation/KTConfigFile.h"
#include "foundation/KTFileVersion.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTOptionBool.h"
#include "foundation/KTOptionInt.h"
#include "foundation/KTOptionStore.h"
#include "foundation/KTOptionString.h"
#include "foundation/KTTextReader.h"
#include "platform/KTModule.h"
#include "platform/KTProgramFolders.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QLibrary>
#include <QPointer>
#include <QThread>

#include <cmath>
#include <mutex>

namespace {

// The six settings, defined for the moment of reading or writing.
struct CallHomeOptions
{
    KTOptionBool firstRun;
    KTOptionBool checkForUpdates;
    KTOptionString lastUpdateCheck;
    KTOptionBool showTips;
    KTOptionInt lastTip;
    KTOptionString lastTipDate;

    CallHomeOptions()
    {
        const CString section = KTCallHomeManager::Section;
        firstRun.Set(section, "FirstRun", 0, 1);
        checkForUpdates.Set(section, "CheckForUpdates", 0, 0);
        lastUpdateCheck.Set(section, "LastUpdateCheck", 0, "", -1);
        showTips.Set(section, "ShowTips", 0, 0);
        lastTip.Set(section, "LastTip", 0, -1, -32768, 32767);
        lastTipDate.Set(section, "LastTipDate", 0, "", -1);
    }
};

CString TimeText(std::int32_t seconds)
{
    return KTNumberFormat().Format(static_cast<double>(seconds));
}

} // namespace

KTCallHomeManager::KTCallHomeManager() : m_alive(std::make_shared<int>(0))
{
    m_versionsAddress = CString(WebSite) + "KTVersions.php";
    m_versionsPath = KTConfigFile::DataFolder("Norwyn", false) + "KTVersions.txt";
    KTFileVersion version;
    if (version.ReadModule(KTFileVersion::ProgramModule())) {
        m_ownMajor = version.ProductMajor();
        m_ownMinor = version.ProductMinor();
    }
}

KTCallHomeManager::~KTCallHomeManager() = default;

void KTCallHomeManager::SetOptionStore(KTOptionStore* store)
{
    if (store)
        m_store = store;
}

std::int32_t KTCallHomeManager::Now() const
{
    const std::uint32_t seconds =
        m_clock ? m_clock() : static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
    return static_cast<std::int32_t>(seconds);
}

std::int32_t KTCallHomeManager::TimeOf(const CString& text)
{
    const double value = std::trunc(KTNumberText().ToDouble(text)); // "" reads 1
    if (!(value >= -2147483648.0 && value <= 4294967295.0))
        return 0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(value)));
}

void KTCallHomeManager::LoadOptions()
{
    if (!m_store)
        return;
    CallHomeOptions options;
    options.firstRun.ReadProfile(*m_store);
    options.checkForUpdates.ReadProfile(*m_store);
    options.lastUpdateCheck.ReadProfile(*m_store);
    options.showTips.ReadProfile(*m_store);
    options.lastTip.ReadProfile(*m_store);
    options.lastTipDate.ReadProfile(*m_store);
    m_firstRun = options.firstRun.m_value != 0;
    m_checkForUpdates = options.checkForUpdates.m_value != 0;
    m_lastUpdateCheck = options.lastUpdateCheck.m_value;
    m_showTips = options.showTips.m_value != 0;
    m_lastTip = options.lastTip.GetValue();
    m_lastTipDate = options.lastTipDate.m_value;
    m_loaded = true;
}

void KTCallHomeManager::SaveOptions()
{
    if (!m_store)
        return;
    CallHomeOptions options;
    options.firstRun.m_value = m_firstRun ? 1 : 0;
    options.checkForUpdates.m_value = m_checkForUpdates ? 1 : 0;
    options.lastUpdateCheck.m_value = m_lastUpdateCheck;
    options.showTips.m_value = m_showTips ? 1 : 0;
    options.lastTip.m_value = m_lastTip;
    options.lastTipDate.m_value = m_lastTipDate;
    options.firstRun.WriteProfile(*m_store, false);
    options.checkForUpdates.WriteProfile(*m_store, false);
    options.lastUpdateCheck.WriteProfile(*m_store, false);
    options.showTips.WriteProfile(*m_store, false);
    options.lastTip.WriteProfile(*m_store, false);
    options.lastTipDate.WriteProfile(*m_store, false);
    m_store->Save();
}

void KTCallHomeManager::ReadProgramFolder()
{
    // The tip pages lie beside a program of the build tree and in the data folder of an
    // installed one.
    m_programFolder = CString::FromQString(KTProgramFolders::DataFolder());
}

int KTCallHomeManager::TipNumber(const CString& relativeName)
{
    // Counted in the file's own name: a tip in a sub-folder would otherwise be numbered by the
    // letters of its folder.
    const CString name = relativeName.Mid(relativeName.ReverseFind('/') + 1);
    const double value = KTNumberText().ToDouble(name.Mid(3, 3));
    if (!(value > -1000000.0 && value < 1000000.0))
        return 0;
    return static_cast<int>(value);
}

void KTCallHomeManager::CountTips()
{
    CDiskObject disk;
    disk.EnumerateAllFilesRelative("tip*.html", m_programFolder + "TipOfTheDay/", m_tipFiles, 0);
}

void KTCallHomeManager::OnStartup()
{
    RunFirstRunOrTip();
    if (IsUpdateCheckDue())
        StartUpdateWorker();
}

void KTCallHomeManager::RunFirstRunOrTip()
{
    ReadProgramFolder();
    m_tipFiles.clear();
    CountTips();
    if (!m_loaded)
        LoadOptions();
    if (m_firstRun) {
        KTFirstRunDlg dialog("KT Graph");
        dialog.m_checkState = m_checkForUpdates;
        dialog.m_checkEnabled = true;
        dialog.DoModal();
        m_checkForUpdates = dialog.m_checkState;
        m_firstRun = false;
        SaveOptions();
        return;
    }
    if (IsTipDue())
        ShowTipOfTheDay();
}

bool KTCallHomeManager::IsTipDue()
{
    if (!m_loaded)
        LoadOptions();
    if (!m_showTips)
        return false;
    const std::int32_t now = Now();
    const std::int32_t elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) -
                                                           static_cast<std::uint32_t>(TimeOf(m_lastTipDate)));
    if (elapsed <= TipInterval)
        return false;
    m_lastTipDate = TimeText(now);
    SaveOptions();
    return true;
}

bool KTCallHomeManager::IsUpdateCheckDue()
{
    if (!m_loaded)
        LoadOptions();
    if (!m_checkForUpdates)
        return false;
    const std::int32_t now = Now();
    const std::int32_t elapsed = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(TimeOf(m_lastUpdateCheck)));
    if (elapsed <= UpdateInterval)
        return false;
    m_lastUpdateCheck = TimeText(now);
    SaveOptions();
    return true;
}

void KTCallHomeManager::ShowTipOfTheDay()
{
    KTTipOfTheDayDlg dialog(&m_tipFiles, m_programFolder);
    dialog.m_showTips = m_showTips ? 1 : 0;
    dialog.m_currentTip = m_lastTip;
    dialog.DoModal();
    m_showTips = dialog.m_showTips != 0;
    m_lastTip = dialog.m_currentTip;
    SaveOptions();
}

void KTCallHomeManager::ToggleCheckForUpdates()
{
    if (!m_store)
        return;
    if (!m_loaded)
        LoadOptions();
    m_checkForUpdates = !m_checkForUpdates;
    SaveOptions();
    if (IsUpdateCheckDue())
        StartUpdateWorker();
}

void KTCallHomeManager::UpdateCheckForUpdatesUI(QAction* action)
{
    if (!m_store || !action)
        return;
    if (!m_loaded)
        LoadOptions();
    action->setCheckable(true);
    action->setChecked(m_checkForUpdates);
}

void KTCallHomeManager::StartUpdateWorker()
{
    // The worker gets copies of all it needs: it never touches the manager, which may be gone
    // before it ends. Its findings come back to this thread, where the manager is looked up.
    const CString address = m_versionsAddress;
    const CString path = m_versionsPath;
    const std::int32_t product = m_product;
    const std::int32_t major = m_ownMajor;
    const std::int32_t minor = m_ownMinor;
    const std::weak_ptr<int> alive = m_alive;
    QPointer<KTCallHomeManager> self(this);
    QThread* worker = QThread::create([=] {
        std::vector<KTVersionRecord> found = CheckForUpdate(address, path, product, major, minor);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [alive, self, found = std::move(found)] {
                if (alive.expired() || !self)
                    return;
                for (const KTVersionRecord& record : found)
                    self->ShowUpdateNotice(record);
                emit self->updateCheckFinished(static_cast<int>(found.size()));
            },
            Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
}

bool KTCallHomeManager::Download(const CString& address, const CString& path, int timeoutMs)
{
    // The network code is a module of its own (KTDownloadModule.cpp), loaded with the first
    // download: a start of the program downloads nothing.
    using GetFunction = bool (*)(const QString&, const QString&, int);
    static GetFunction get = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
#ifdef KT_NETWORK_MODULE_PATH
        const char* built = KT_NETWORK_MODULE_PATH;
#else
        const char* built = nullptr;
#endif
        if (QLibrary* library = KTModule::Load(NetworkModuleName, built))
            get = reinterpret_cast<GetFunction>(library->resolve("KTDownloadModuleGet"));
    });
    return get && get(address.ToQString(), path.ToQString(), timeoutMs);
}

std::vector<KTVersionRecord> KTCallHomeManager::FindUpdates(const CString& path, std::int32_t product,
                                                            std::int32_t ownMajor, std::int32_t ownMinor)
{
    std::vector<KTVersionRecord> found;
    KTTextReader reader(path);
    KTVersionRecord record;
    CString line;
    while (reader.ReadLine(line)) {
        if (!record.Parse(line) || record.m_product != product)
            continue;
        if ((record.m_major == ownMajor && record.m_minor > ownMinor) || record.m_major > ownMajor)
            found.push_back(record);
    }
    reader.Close();
    return found;
}

std::vector<KTVersionRecord> KTCallHomeManager::CheckForUpdate(const CString& address, const CString& path,
                                                               std::int32_t product, std::int32_t ownMajor,
                                                               std::int32_t ownMinor)
{
    Download(address, path); // a failure leaves an earlier file, or none, to be read
    return FindUpdates(path, product, ownMajor, ownMinor);
}

void KTCallHomeManager::ShowUpdateNotice(const KTVersionRecord& record)
{
    const int dialogId = record.m_major > m_ownMajor ? KTUpdateAvailableDlg::MajorTemplate
                                                     : KTUpdateAvailableDlg::MinorTemplate;
    KTUpdateAvailableDlg dialog(dialogId, record.m_displayName, record.m_major, record.m_minor,
                                record.m_downloadPage, record.m_whatsNewPage, m_ownMajor, m_ownMinor);
    dialog.DoModal();
}
