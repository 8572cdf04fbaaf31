#include "MsiDatabase.h"

#include <objbase.h>

#include <algorithm>
#include <optional>

#include "InstallerSession.h"
#include "MsiApi.h"
#include "PropertyTable.h"
#include "ScriptRun.h"

namespace ovd {
namespace {

const LPCSTR kDirect = MSIDBOPEN_DIRECT; // persist mode 2
constexpr UINT kPidTemplate = 7;
constexpr UINT kPidRevision = 9;
constexpr UINT kPidWordCount = 15;
constexpr int kComponent64Bit = 0x100;
constexpr INT kWordCount = 8;
constexpr INT kCompressedBit = 2;

UniqueMsiHandle OpenDirect(const std::string& package)
{
    MSIHANDLE db = 0;
    if (MsiApi::MsiOpenDatabaseA(package.c_str(), kDirect, &db) != ERROR_SUCCESS)
        return {};
    return UniqueMsiHandle(db);
}

// Opens, executes and closes one statement; its failure is ignored.
void Execute(MSIHANDLE db, const std::string& sql)
{
    MSIHANDLE view = 0;
    if (MsiApi::MsiDatabaseOpenViewA(db, sql.c_str(), &view) != ERROR_SUCCESS)
        return;
    const UniqueMsiHandle owned(view);
    MsiApi::MsiViewExecute(view, 0);
    MsiApi::MsiViewClose(view);
}

// Runs `change` on field 1 of every row of `sql` and writes the row back.
template <class Change> void UpdateRows(MSIHANDLE db, const char* sql, Change change)
{
    MSIHANDLE view = 0;
    if (MsiApi::MsiDatabaseOpenViewA(db, sql, &view) != ERROR_SUCCESS)
        return;
    const UniqueMsiHandle owned(view);
    if (MsiApi::MsiViewExecute(view, 0) != ERROR_SUCCESS)
        return;
    for (;;) {
        MSIHANDLE record = 0;
        if (MsiApi::MsiViewFetch(view, &record) != ERROR_SUCCESS)
            break;
        const UniqueMsiHandle row(record);
        change(record);
        MsiApi::MsiViewModify(view, MSIMODIFY_UPDATE, record);
    }
    MsiApi::MsiViewClose(view);
}

// Field 1 of every row of `sql` in the database opened read-only; nothing when it cannot
// be read.
std::optional<std::vector<std::string>> FirstFields(const std::string& package, const char* sql)
{
    MSIHANDLE db = 0;
    if (MsiApi::MsiOpenDatabaseA(package.c_str(), MSIDBOPEN_READONLY, &db) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueMsiHandle owned(db);
    MSIHANDLE view = 0;
    if (MsiApi::MsiDatabaseOpenViewA(db, sql, &view) != ERROR_SUCCESS)
        return std::nullopt;
    const UniqueMsiHandle ownedView(view);
    if (MsiApi::MsiViewExecute(view, 0) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<std::string> fields;
    for (;;) {
        MSIHANDLE record = 0;
        if (MsiApi::MsiViewFetch(view, &record) != ERROR_SUCCESS)
            break;
        const UniqueMsiHandle row(record);
        char text[256] = {};
        DWORD size = sizeof text;
        if (MsiApi::MsiRecordGetStringA(record, 1, text, &size) == ERROR_SUCCESS)
            fields.emplace_back(text);
    }
    MsiApi::MsiViewClose(view);
    return fields;
}

} // namespace

std::vector<std::string> DatabaseFeatures(const std::string& package)
{
    return FirstFields(package, "SELECT `Feature` FROM `Feature`")
        .value_or(std::vector<std::string>{});
}

bool DatabaseNeedsSourceMedia(const std::string& package)
{
    const auto cabinets = FirstFields(package, "SELECT `Cabinet` FROM `Media`");
    if (!cabinets)
        return true;
    return std::any_of(cabinets->begin(), cabinets->end(), [](const std::string& cabinet) {
        return cabinet.empty() || cabinet[0] != '#';
    });
}

std::string FreshGuid()
{
    GUID guid{};
    CoCreateGuid(&guid);
    char text[40];
    wsprintfA(text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
              guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
              guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

namespace {

std::string SummaryText(MSIHANDLE summary, UINT property)
{
    char buffer[260] = {};
    DWORD size = sizeof buffer;
    UINT type = 0;
    INT value = 0;
    FILETIME time{};
    if (MsiApi::MsiSummaryInfoGetPropertyA(summary, property, &type, &value, &time, buffer,
                                           &size) != ERROR_SUCCESS)
        return {};
    return buffer;
}

INT SummaryInteger(MSIHANDLE summary, UINT property)
{
    UINT type = 0;
    INT value = 0;
    FILETIME time{};
    DWORD size = 0;
    if (MsiApi::MsiSummaryInfoGetPropertyA(summary, property, &type, &value, &time, nullptr,
                                           &size) != ERROR_SUCCESS)
        return 0;
    return value;
}

UniqueMsiHandle OpenSummary(MSIHANDLE db)
{
    MSIHANDLE summary = 0;
    if (MsiApi::MsiGetSummaryInformationA(db, nullptr, 1, &summary) != ERROR_SUCCESS)
        return {};
    return UniqueMsiHandle(summary);
}

} // namespace

bool WritePropertyTable(const std::string& package, const TPendingProperties& pending,
                        TInstallerSession& session)
{
    const UniqueMsiHandle db = OpenDirect(package);
    if (!db)
        return false;
    if (session.NewInstance && !session.ComponentCodesRenewed) {
        UpdateRows(db.get(), "SELECT `ComponentId` FROM `Component`", [](MSIHANDLE record) {
            MsiApi::MsiRecordSetStringA(record, 1, FreshGuid().c_str());
        });
        session.ComponentCodesRenewed = true;
    }
    const std::vector<std::string> statements =
        PropertyTableStatements(pending.Names, pending.Values);
    for (std::size_t i = 0; i < statements.size(); ++i) {
        // Just before the last entry, a new instance gets its codes.
        if (session.NewInstance && i + 2 == statements.size()) {
            if (const UniqueMsiHandle summary = OpenSummary(db.get())) {
                MsiApi::MsiSummaryInfoSetPropertyA(summary.get(), kPidRevision, VT_LPSTR, 0,
                                                   nullptr, session.NewRevisionCode.c_str());
                MsiApi::MsiSummaryInfoPersist(summary.get());
            }
            Execute(db.get(), "UPDATE `Property` SET `Value`='" + session.NewProductCode +
                                  "' WHERE `Property`='ProductCode'");
        }
        Execute(db.get(), statements[i]);
    }
    return MsiApi::MsiDatabaseCommit(db.get()) == ERROR_SUCCESS;
}

namespace {

// The row of ProgId `move.Old` copied under `move.New`, then the old row deleted; the old
// row stays when there is none to copy or the copy is refused (the new name taken).
void MoveProgIdRow(MSIHANDLE db, const TProgIdMove& move)
{
    const std::string columns =
        "`ProgId`, `ProgId_Parent`, `Class_`, `Description`, `Icon_`, `IconIndex`";
    MSIHANDLE view = 0;
    if (MsiApi::MsiDatabaseOpenViewA(
            db, ("SELECT " + columns + " FROM `ProgId` WHERE `ProgId`='" + move.Old + "'").c_str(),
            &view) != ERROR_SUCCESS)
        return;
    const UniqueMsiHandle select(view);
    MSIHANDLE fetched = 0;
    const bool found = MsiApi::MsiViewExecute(view, 0) == ERROR_SUCCESS &&
                       MsiApi::MsiViewFetch(view, &fetched) == ERROR_SUCCESS;
    MsiApi::MsiViewClose(view);
    if (!found)
        return;
    const UniqueMsiHandle row(fetched);
    MsiApi::MsiRecordSetStringA(fetched, 1, move.New.c_str());
    MSIHANDLE insert = 0;
    if (MsiApi::MsiDatabaseOpenViewA(
            db, ("INSERT INTO `ProgId` (" + columns + ") VALUES (?, ?, ?, ?, ?, ?)").c_str(),
            &insert) != ERROR_SUCCESS)
        return;
    const UniqueMsiHandle inserting(insert);
    const bool copied = MsiApi::MsiViewExecute(insert, fetched) == ERROR_SUCCESS;
    MsiApi::MsiViewClose(insert);
    if (!copied)
        return;
    Execute(db, "DELETE FROM `ProgId` WHERE `ProgId`='" + move.Old + "'");
    for (const std::string& statement : ProgIdReferenceStatements(move))
        Execute(db, statement);
}

} // namespace

void ExecuteDatabaseStatements(const std::string& package, const std::vector<std::string>& sql,
                               const std::vector<TProgIdMove>& moves)
{
    const UniqueMsiHandle db = OpenDirect(package);
    if (!db)
        return;
    for (const std::string& statement : sql)
        Execute(db.get(), statement);
    for (const TProgIdMove& move : moves)
        MoveProgIdRow(db.get(), move);
    MsiApi::MsiDatabaseCommit(db.get());
}

void AdaptDatabasePlatform(const std::string& package, const std::string& platform)
{
    const UniqueMsiHandle db = OpenDirect(package);
    if (!db)
        return;
    if (const UniqueMsiHandle summary = OpenSummary(db.get())) {
        const auto changed =
            TemplateForPlatform(SummaryText(summary.get(), kPidTemplate), platform);
        if (changed) {
            MsiApi::MsiSummaryInfoSetPropertyA(summary.get(), kPidTemplate, VT_LPSTR, 0, nullptr,
                                               changed->c_str());
            MsiApi::MsiSummaryInfoPersist(summary.get());
        }
        // Word count 8: no elevation needed, long file names. A database whose files lie
        // in its cabinets keeps its compressed bit, or the installer would look for them
        // beside the package.
        MsiApi::MsiSummaryInfoSetPropertyA(
            summary.get(), kPidWordCount, VT_I4,
            kWordCount | (SummaryInteger(summary.get(), kPidWordCount) & kCompressedBit), nullptr,
            nullptr);
        MsiApi::MsiSummaryInfoPersist(summary.get());
        if (changed) {
            const bool win32 = platform == "Win32";
            UpdateRows(db.get(), "SELECT `Attributes` FROM `Component`", [win32](MSIHANDLE record) {
                const int attributes = MsiApi::MsiRecordGetInteger(record, 1);
                MsiApi::MsiRecordSetInteger(
                    record, 1, win32 ? attributes ^ kComponent64Bit : attributes | kComponent64Bit);
            });
        }
    }
    MsiApi::MsiDatabaseCommit(db.get());
}

} // namespace ovd
