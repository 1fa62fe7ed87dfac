#include "qvsystem/platform/SettingsStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <sqlite3.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

// Layout, readable with the sqlite3 tool:
//   keys(id, root, path, path_fold, parent)   one row per key; a root that holds anything
//                                             has a row with the empty path
//   vals(key_id, name, name_fold, type, data) the values, in the order they were created
// Names are stored as written and looked up through their ASCII-folded form. REG_SZ data
// is UTF-16LE with its terminator, as the profile functions write it.

namespace {

// How long a call waits for another process's lock before it fails.
std::atomic<int> g_busyTimeoutMs{5000};

QString FoldAscii(const QString& text)
{
    QString folded = text;
    for (QChar& c : folded) {
        const char16_t u = c.unicode();
        if (u >= u'A' && u <= u'Z')
            c = QChar(char16_t(u + 32));
    }
    return folded;
}

// Components separated by one backslash, without leading or trailing ones.
QString NormalizeSubKey(const QString& subKey)
{
    QStringList parts = subKey.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('\\'));
}

QString JoinKey(const QString& base, const QString& sub)
{
    if (base.isEmpty())
        return sub;
    if (sub.isEmpty())
        return base;
    return base + QLatin1Char('\\') + sub;
}

// Prepared statements live as long as their connection: the program reads all its settings
// at start-up, and preparing every query again costs more than running it. Used only
// under the registry mutex.
struct CachedStatement {
    sqlite3_stmt* stmt = nullptr;
    bool inUse = false;
};

using StatementMap = std::map<std::pair<uintptr_t, uintptr_t>, CachedStatement>;
StatementMap& StatementCache();

// Finalizes the connection's statements; sqlite3_close refuses a connection that has any.
void ForgetStatements(sqlite3* db)
{
    auto& cache = StatementCache();
    auto it = cache.lower_bound({uintptr_t(db), 0});
    while (it != cache.end() && it->first.first == uintptr_t(db)) {
        sqlite3_finalize(it->second.stmt);
        it = cache.erase(it);
    }
}

void CloseConnection(sqlite3*& db)
{
    if (!db)
        return;
    ForgetStatements(db);
    sqlite3_close(db);
    db = nullptr;
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql)
    {
        CachedStatement& entry = StatementCache()[{uintptr_t(db), uintptr_t(sql)}];
        if (entry.inUse) {
            // The same query nested in itself gets a statement of its own.
            if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
                sqlite3_finalize(m_stmt);
                m_stmt = nullptr;
            }
            return;
        }
        if (!entry.stmt &&
            sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &entry.stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(entry.stmt);
            entry.stmt = nullptr;
            return;
        }
        entry.inUse = true;
        m_entry = &entry;
        m_stmt = entry.stmt;
    }
    ~Statement()
    {
        if (!m_entry) {
            sqlite3_finalize(m_stmt);
            return;
        }
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        m_entry->inUse = false;
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_stmt != nullptr; }
    void Bind(int index, int64_t value) { sqlite3_bind_int64(m_stmt, index, value); }
    void Bind(int index, const QString& text)
    {
        sqlite3_bind_text16(m_stmt, index, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
    }
    void BindBlob(int index, const void* data, int size)
    {
        sqlite3_bind_blob(m_stmt, index, size ? data : "", size, SQLITE_TRANSIENT);
    }
    int Step() { return sqlite3_step(m_stmt); }
    int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
    QString Text(int column) const
    {
        const void* text = sqlite3_column_text16(m_stmt, column);
        const int bytes = sqlite3_column_bytes16(m_stmt, column);
        return text ? QString(static_cast<const QChar*>(text), bytes / 2) : QString();
    }
    QByteArray Blob(int column) const
    {
        const void* data = sqlite3_column_blob(m_stmt, column);
        const int bytes = sqlite3_column_bytes(m_stmt, column);
        return data ? QByteArray(static_cast<const char*>(data), bytes) : QByteArray();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    CachedStatement* m_entry = nullptr;
};

// One store file. Opened for reading only when it exists, and created on the first write,
// so that reading settings never leaves files behind.
class Store {
public:
    explicit Store(QString path) : m_path(std::move(path)) {}
    ~Store() { CloseConnection(m_db); }

    // The database for reading; null when the store does not exist or cannot be used.
    sqlite3* ForRead()
    {
        if (!m_db && !m_broken && QFileInfo::exists(m_path))
            Open();
        return m_broken ? nullptr : m_db;
    }

    sqlite3* ForWrite()
    {
        if (!m_db && !m_broken) {
            QDir().mkpath(QFileInfo(m_path).absolutePath());
            Open();
        }
        return m_broken || m_readOnly ? nullptr : m_db;
    }

private:
    void Open()
    {
        const QByteArray name = QFile::encodeName(m_path);
        if (sqlite3_open_v2(name.constData(), &m_db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK) {
            // A folder that cannot be written yet (or a full disk) may be mended later.
            CloseConnection(m_db);
            return;
        }
        sqlite3_busy_timeout(m_db, g_busyTimeoutMs);
        // A file that is not a database (or is damaged) fails here and reads as empty; it
        // is never overwritten, so nothing the user had is destroyed.
        const char* setup = "PRAGMA journal_mode=WAL;"
                            "PRAGMA synchronous=NORMAL;"
                            "CREATE TABLE IF NOT EXISTS keys(id INTEGER PRIMARY KEY, root INTEGER NOT NULL,"
                            " path TEXT NOT NULL, path_fold TEXT NOT NULL, parent INTEGER NOT NULL,"
                            " UNIQUE(root, path_fold));"
                            "CREATE TABLE IF NOT EXISTS vals(key_id INTEGER NOT NULL, name TEXT NOT NULL,"
                            " name_fold TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL,"
                            " PRIMARY KEY(key_id, name_fold));"
                            "CREATE INDEX IF NOT EXISTS keys_parent ON keys(parent);";
        // Two processes creating the store at once can each hold a read lock while asking
        // for the write lock; SQLite then answers one of them "busy" at once, without its
        // busy handler, so the set-up (every statement of which may run again) is retried
        // here for as long as a busy wait would last.
        QElapsedTimer waited;
        waited.start();
        int result = sqlite3_exec(m_db, setup, nullptr, nullptr, nullptr);
        while ((result == SQLITE_BUSY || result == SQLITE_LOCKED) && waited.elapsed() < g_busyTimeoutMs) {
            QThread::msleep(2 + QRandomGenerator::global()->bounded(8));
            result = sqlite3_exec(m_db, setup, nullptr, nullptr, nullptr);
        }
        if (result == SQLITE_OK)
            return;
        CloseConnection(m_db);
        if (result == SQLITE_NOTADB || result == SQLITE_CORRUPT) {
            Fail();
            return;
        }
        // A store that another process holds locked, or a passing I/O failure, fails this
        // call only: the next one opens it again.
        if (result != SQLITE_READONLY && result != SQLITE_CANTOPEN && result != SQLITE_PERM)
            return;
        // A store the user may only read still gives its values; writes then fail.
        // Immutable: a write-ahead log cannot be shared from a folder the user may not write.
        const QByteArray uri =
            "file:" + QUrl::toPercentEncoding(QFile::decodeName(name), "/") + "?immutable=1";
        if (sqlite3_open_v2(uri.constData(), &m_db,
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                            nullptr) == SQLITE_OK &&
            sqlite3_exec(m_db, "SELECT count(*) FROM keys; SELECT count(*) FROM vals;", nullptr, nullptr,
                         nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(m_db, g_busyTimeoutMs);
            m_readOnly = true;
            return;
        }
        Fail();
    }

    void Fail()
    {
        CloseConnection(m_db);
        m_broken = true;
    }

    QString m_path;
    sqlite3* m_db = nullptr;
    bool m_broken = false;
    bool m_readOnly = false;
};

struct OpenKey {
    std::shared_ptr<Store> store;
    HKEY root = 0;
    QString path; // as given when opened or created
};

struct Registry {
    // Before the stores, so that it outlives the connections they close.
    StatementMap statements;
    std::mutex mutex;
    QString overridePath;
    std::shared_ptr<Store> current;
    std::map<HKEY, OpenKey> handles;
    HKEY nextHandle = 1;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

StatementMap& StatementCache()
{
    return TheRegistry().statements;
}

QString DefaultStorePath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/Corda Software/registry.db");
}

QString CurrentStorePath(const Registry& registry)
{
    return registry.overridePath.isEmpty() ? DefaultStorePath() : registry.overridePath;
}

// Both calls hold the registry mutex.
std::shared_ptr<Store> CurrentStore(Registry& registry)
{
    if (!registry.current)
        registry.current = std::make_shared<Store>(CurrentStorePath(registry));
    return registry.current;
}

// Resolves a handle (a predefined root or an opened key) to its store, root and path.
bool Resolve(Registry& registry, HKEY key, OpenKey& out)
{
    if (AfxIsPredefinedRegistryRoot(key)) {
        out.store = CurrentStore(registry);
        out.root = key;
        out.path.clear();
        return true;
    }
    const auto it = registry.handles.find(key);
    if (it == registry.handles.end())
        return false;
    out = it->second;
    return true;
}

// The id of an existing key, or 0.
int64_t FindKey(sqlite3* db, HKEY root, const QString& path)
{
    Statement find(db, "SELECT id FROM keys WHERE root=?1 AND path_fold=?2");
    if (!find.ok())
        return 0;
    find.Bind(1, int64_t(root));
    find.Bind(2, FoldAscii(path));
    return find.Step() == SQLITE_ROW ? find.Int(0) : 0;
}

// Creates the key and its ancestors; returns its id or 0. *created tells whether the key
// itself was new.
int64_t CreateKey(sqlite3* db, HKEY root, const QString& path, bool* created)
{
    if (created)
        *created = false;
    if (int64_t id = FindKey(db, root, path))
        return id;
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return 0;
    int64_t parent = 0;
    QString prefix;
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    // The root has an empty-path row of its own so that its values have a key id.
    QStringList levels{QString()};
    for (const QString& part : parts) {
        prefix = JoinKey(prefix, part);
        levels.append(prefix);
    }
    for (const QString& level : levels) {
        int64_t id = FindKey(db, root, level);
        if (!id) {
            Statement insert(db, "INSERT INTO keys(root, path, path_fold, parent) VALUES(?1, ?2, ?3, ?4)");
            if (!insert.ok()) {
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                return 0;
            }
            insert.Bind(1, int64_t(root));
            insert.Bind(2, level);
            insert.Bind(3, FoldAscii(level));
            insert.Bind(4, parent);
            if (insert.Step() != SQLITE_DONE) {
                sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
                return 0;
            }
            id = sqlite3_last_insert_rowid(db);
            if (created && level == levels.last())
                *created = true;
        }
        parent = id;
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return 0;
    }
    return parent;
}

HKEY NewHandle(Registry& registry, OpenKey key)
{
    HKEY handle = registry.nextHandle++;
    while (AfxIsPredefinedRegistryRoot(handle) || registry.handles.count(handle) || handle == 0)
        handle = registry.nextHandle++;
    registry.handles.emplace(handle, std::move(key));
    return handle;
}

// The database and id of the existing key a handle names, for the calls that only act on
// what is there; missing is the status for a key (or store) that does not exist.
LSTATUS FindExistingKey(Registry& registry, HKEY key, OpenKey& open, sqlite3*& db, int64_t& id,
                        LSTATUS missing)
{
    if (!Resolve(registry, key, open))
        return ERROR_INVALID_HANDLE;
    db = open.store->ForRead();
    id = db ? FindKey(db, open.root, open.path) : 0;
    return id ? ERROR_SUCCESS : missing;
}

} // namespace

bool AfxIsPredefinedRegistryRoot(HKEY key)
{
    switch (key) {
    case HKEY_CLASSES_ROOT:
    case HKEY_CURRENT_USER:
    case HKEY_LOCAL_MACHINE:
    case HKEY_USERS:
    case HKEY_PERFORMANCE_DATA:
    case HKEY_CURRENT_CONFIG:
    case HKEY_PERFORMANCE_TEXT:
    case HKEY_PERFORMANCE_NLSTEXT:
        return true;
    default:
        return false;
    }
}

void AfxSetSettingsStorePath(const QString& path)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.overridePath = path;
    registry.current.reset();
}

void AfxSetSettingsStoreBusyTimeout(int milliseconds)
{
    g_busyTimeoutMs = milliseconds < 0 ? 0 : milliseconds;
}

QString AfxGetSettingsStorePath()
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return CurrentStorePath(registry);
}

LSTATUS RegCreateKeyEx(HKEY parent, const QString& subKey, HKEY* result, bool* created)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    OpenKey base;
    if (!Resolve(registry, parent, base))
        return ERROR_INVALID_HANDLE;
    sqlite3* db = base.store->ForWrite();
    if (!db)
        return ERROR_CANTWRITE;
    OpenKey key{base.store, base.root, JoinKey(base.path, NormalizeSubKey(subKey))};
    if (!CreateKey(db, key.root, key.path, created))
        return ERROR_CANTWRITE;
    *result = NewHandle(registry, std::move(key));
    return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyEx(HKEY parent, const QString& subKey, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    OpenKey base;
    if (!Resolve(registry, parent, base))
        return ERROR_INVALID_HANDLE;
    OpenKey key{base.store, base.root, JoinKey(base.path, NormalizeSubKey(subKey))};
    // A root always opens, even in an empty store.
    if (!key.path.isEmpty()) {
        sqlite3* db = key.store->ForRead();
        if (!db || !FindKey(db, key.root, key.path))
            return ERROR_FILE_NOT_FOUND;
    }
    *result = NewHandle(registry, std::move(key));
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key)
{
    if (AfxIsPredefinedRegistryRoot(key))
        return ERROR_SUCCESS;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryValueEx(HKEY key, const QString& name, uint32_t* type, QByteArray* data)
{
    if (type)
        *type = REG_NONE;
    if (data)
        data->clear();
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    OpenKey open;
    if (!Resolve(registry, key, open))
        return ERROR_INVALID_HANDLE;
    sqlite3* db = open.store->ForRead();
    if (!db)
        return ERROR_FILE_NOT_FOUND;
    Statement query(db, "SELECT v.type, v.data FROM vals v JOIN keys k ON k.id = v.key_id"
                        " WHERE k.root=?1 AND k.path_fold=?2 AND v.name_fold=?3");
    if (!query.ok())
        return ERROR_FILE_NOT_FOUND;
    query.Bind(1, int64_t(open.root));
    query.Bind(2, FoldAscii(open.path));
    query.Bind(3, FoldAscii(name));
    if (query.Step() != SQLITE_ROW)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = uint32_t(query.Int(0));
    if (data)
        *data = query.Blob(1);
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueEx(HKEY key, const QString& name, uint32_t type, const void* data, uint32_t size)
{
    if (!data && size)
        return ERROR_INVALID_PARAMETER;
    if ((type == REG_DWORD && size != 4) || (type == REG_QWORD && size != 8))
        return ERROR_INVALID_PARAMETER;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    OpenKey open;
    if (!Resolve(registry, key, open))
        return ERROR_INVALID_HANDLE;
    sqlite3* db = open.store->ForWrite();
    if (!db)
        return ERROR_CANTWRITE;
    // The key may have been deleted (or, for a root, never written) since it was opened.
    const int64_t id = CreateKey(db, open.root, open.path, nullptr);
    if (!id)
        return ERROR_CANTWRITE;
    Statement upsert(db,
                     "INSERT INTO vals(key_id, name, name_fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                     " ON CONFLICT(key_id, name_fold) DO UPDATE SET type=excluded.type, data=excluded.data");
    if (!upsert.ok())
        return ERROR_CANTWRITE;
    upsert.Bind(1, id);
    upsert.Bind(2, name);
    upsert.Bind(3, FoldAscii(name));
    upsert.Bind(4, int64_t(type));
    upsert.BindBlob(5, data, int(size));
    return upsert.Step() == SQLITE_DONE ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

LSTATUS RegDeleteValue(HKEY key, const QString& name)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    OpenKey open;
    sqlite3* db = nullptr;
    int64_t id = 0;
    if (const LSTATUS status = FindExistingKey(registry, key, open, db, id, ERROR_FILE_NOT_FOUND);
        status != ERROR_SUCCESS)
        return status;
    Statement remove(db, "DELETE FROM vals WHERE key_id=?1 AND name_fold=?2");
    if (!remove.ok())
        return ERROR_CANTWRITE;
    remove.Bind(1, id);
    remove.Bind(2, FoldAscii(name));
    if (remove.Step() != SQLITE_DONE)
        return ERROR_CANTWRITE;
    return sqlite3_changes(db) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

LSTATUS RegDeleteTree(HKEY key, const QString& subKey)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    OpenKey open;
    if (!Resolve(registry, key, open))
        return ERROR_INVALID_HANDLE;
    const QString target = JoinKey(open.path, NormalizeSubKey(subKey));
    sqlite3* db = open.store->ForRead();
    const int64_t id = db ? FindKey(db, open.root, target) : 0;
    if (!id)
        return ERROR_FILE_NOT_FOUND;
    // Everything below the target goes; the target itself goes unless it is the key that
    // was passed in (then only its contents), as on Windows.
    const QString fold = FoldAscii(target);
    const bool keepTarget = subKey.isEmpty() || target.isEmpty();
    const QString below = target.isEmpty() ? QString() : fold + QLatin1Char('\\');
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return ERROR_CANTWRITE;
    bool ok = true;
    {
        Statement values(
            db, "DELETE FROM vals WHERE key_id IN (SELECT id FROM keys WHERE root=?1 AND"
                " ((?4 = '' AND path_fold <> '') OR (?4 <> '' AND substr(path_fold, 1, length(?4)) = ?4)"
                " OR (?3 = 0 AND path_fold = ?2)))");
        Statement keys(
            db, "DELETE FROM keys WHERE root=?1 AND"
                " ((?4 = '' AND path_fold <> '') OR (?4 <> '' AND substr(path_fold, 1, length(?4)) = ?4)"
                " OR (?3 = 0 AND path_fold = ?2))");
        for (Statement* statement : {&values, &keys}) {
            if (!statement->ok()) {
                ok = false;
                break;
            }
            statement->Bind(1, int64_t(open.root));
            statement->Bind(2, fold);
            statement->Bind(3, keepTarget ? 1 : 0);
            statement->Bind(4, below);
            ok = ok && statement->Step() == SQLITE_DONE;
        }
        if (ok && keepTarget) {
            Statement own(db, "DELETE FROM vals WHERE key_id=?1");
            own.Bind(1, id);
            ok = own.ok() && own.Step() == SQLITE_DONE;
        }
    }
    if (!ok || sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}

LSTATUS RegEnumKey(HKEY key, uint32_t index, QString& name)
{
    name.clear();
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    OpenKey open;
    sqlite3* db = nullptr;
    int64_t id = 0;
    if (const LSTATUS status = FindExistingKey(registry, key, open, db, id, ERROR_NO_MORE_ITEMS);
        status != ERROR_SUCCESS)
        return status;
    Statement query(db, "SELECT path FROM keys WHERE parent=?1 AND root=?2 AND path <> '' ORDER BY id"
                        " LIMIT 1 OFFSET ?3");
    if (!query.ok())
        return ERROR_NO_MORE_ITEMS;
    query.Bind(1, id);
    query.Bind(2, int64_t(open.root));
    query.Bind(3, int64_t(index));
    if (query.Step() != SQLITE_ROW)
        return ERROR_NO_MORE_ITEMS;
    const QString path = query.Text(0);
    name = path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
    return ERROR_SUCCESS;
}

LSTATUS RegEnumValue(HKEY key, uint32_t index, QString& name, uint32_t* type)
{
    name.clear();
    if (type)
        *type = REG_NONE;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    OpenKey open;
    sqlite3* db = nullptr;
    int64_t id = 0;
    if (const LSTATUS status = FindExistingKey(registry, key, open, db, id, ERROR_NO_MORE_ITEMS);
        status != ERROR_SUCCESS)
        return status;
    Statement query(db, "SELECT name, type FROM vals WHERE key_id=?1 ORDER BY rowid LIMIT 1 OFFSET ?2");
    if (!query.ok())
        return ERROR_NO_MORE_ITEMS;
    query.Bind(1, id);
    query.Bind(2, int64_t(index));
    if (query.Step() != SQLITE_ROW)
        return ERROR_NO_MORE_ITEMS;
    name = query.Text(0);
    if (type)
        *type = uint32_t(query.Int(1));
    return ERROR_SUCCESS;
}

QByteArray AfxRegistryStringBytes(const QString& text)
{
    // UTF-16LE whatever the machine's byte order, as the reader expects.
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    bytes.append('\0');
    bytes.append('\0');
    return bytes;
}

QString AfxRegistryStringFromBytes(const QByteArray& bytes)
{
    QString text;
    const qsizetype count = bytes.size() / 2;
    text.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t c = char16_t(uchar(bytes[2 * i]) | (uchar(bytes[2 * i + 1]) << 8));
        if (c == 0)
            break;
        text.append(QChar(c));
    }
    return text;
}
