#pragma once
// The keeper of the start-up services: the first-run welcome page, the tip of the day and the
// weekly update check, with their settings in section "KTCallHome" of the user's settings store.
// After the main window shows, OnStartup runs the welcome page (first start) or the tip (at most
// every twelve hours while wanted), then starts the update check when it is due (at most weekly,
// only when the user agreed to it). Times are seconds since 1970 (low 32 bits) kept as texts.

// moc cannot parse the standard library's concepts that CString brings in.
#ifndef Q_MOC_RUN
#include "app/KTVersionRecord.h"
#include "platform/CString.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>
#endif

#include <QObject>

class KTOptionStore;
class QAction;
class QThread;

class KTCallHomeManager : public QObject
{
    Q_OBJECT

public:
    static constexpr std::int32_t TipInterval = 43200;     ///< twelve hours, in seconds
    static constexpr std::int32_t UpdateInterval = 604800; ///< seven days, in seconds
    static constexpr const char* Section = "KTCallHome";
    /// The maker's web site; the sign-up pages and the versions file live there.
    static constexpr const char* WebSite = "https://www.norwyn.com/";

    KTCallHomeManager();
    ~KTCallHomeManager() override;

    /// Not owned; a null store leaves the one set before.
    void SetOptionStore(KTOptionStore* store);
    KTOptionStore* GetOptionStore() const { return m_store; }

    /// The welcome page or the tip of the day, then the update check when due.
    void OnStartup();
    /// The welcome page on the first start, else the tip of the day when due.
    void RunFirstRunOrTip();
    void ShowTipOfTheDay();
    /// True (and LastTipDate moved to now and saved) when ShowTips is set and more than twelve
    /// hours have passed since LastTipDate (32-bit signed difference).
    bool IsTipDue();
    /// The same for the update check: CheckForUpdates set and more than seven days since
    /// LastUpdateCheck.
    bool IsUpdateCheckDue();
    /// The Help menu's "Check for Updates": switches the check on or off, saves, and starts the
    /// check when it is due.
    void ToggleCheckForUpdates();
    /// The menu item's check mark follows CheckForUpdates (when there is a store).
    void UpdateCheckForUpdatesUI(QAction* action);

    void LoadOptions();
    void SaveOptions();
    /// The folder of the program's data (KTProgramFolders::DataFolder), ending in "/": beside the
    /// program, or the installed data folder.
    void ReadProgramFolder();
    /// Fills the tip list with the "tip*.html" files below the program folder's "TipOfTheDay/".
    void CountTips();

    /// Starts the check on a worker; the notices it finds are shown on this thread afterwards.
    /// Nobody waits for the worker.
    void StartUpdateWorker();
    /// The check itself, on any thread: downloads the versions file from `address` into `path`
    /// (a failed download leaves an earlier file to be read) and returns the records that are
    /// newer than the own version, in file order.
    static std::vector<KTVersionRecord> CheckForUpdate(const CString& address, const CString& path,
                                                       std::int32_t product, std::int32_t ownMajor,
                                                       std::int32_t ownMinor);
    /// The records of the file for the product that are newer than the own version.
    static std::vector<KTVersionRecord> FindUpdates(const CString& path, std::int32_t product,
                                                    std::int32_t ownMajor, std::int32_t ownMinor);
    /// Downloads the address to the file (HTTP, HTTPS or file:); false on any failure, which
    /// leaves the file as it was. Gives up after `timeoutMs`.
    static bool Download(const CString& address, const CString& path, int timeoutMs = 30000);
    /// The module that downloads, beside the program; loaded with the first download.
    static constexpr const char* NetworkModuleName = "libktgraph3-network.so";
    /// Shows the notice of one newer record (202 for a new minor version, 204 for a new major).
    void ShowUpdateNotice(const KTVersionRecord& record);

    /// The number of a tip file: the three characters after "tip" in its name (folders aside).
    static int TipNumber(const CString& relativeName);

    // Settings values.
    std::int32_t m_product = 4;
    bool m_firstRun = true;
    bool m_checkForUpdates = false;
    bool m_showTips = false;
    std::int32_t m_lastTip = -1;
    CString m_lastUpdateCheck;
    CString m_lastTipDate;
    bool m_loaded = false;

    CString m_programFolder;
    std::vector<CString> m_tipFiles;

    /// Where the versions file comes from and goes to; set for the maker's site and the user's
    /// data folder, changed by tests.
    CString m_versionsAddress;
    CString m_versionsPath;
    /// The own version compared with the file's; read from the program on construction.
    std::int32_t m_ownMajor = 0;
    std::int32_t m_ownMinor = 0;
    /// The clock (seconds since 1970, low 32 bits); tests set their own.
    std::function<std::uint32_t()> m_clock;

signals:
    /// A started check has ended; `notices` is how many notices it showed.
    void updateCheckFinished(int notices);

private:
    std::int32_t Now() const;
    static std::int32_t TimeOf(const CString& text);

    KTOptionStore* m_store = nullptr;
    /// Lets a finished worker know whether the manager is still there.
    std::shared_ptr<int> m_alive;
};
