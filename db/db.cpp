#include "db/db.h"

#include <shapefil.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "core/file_io.h"

namespace zemba::db {

namespace {

std::string Trim(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    std::size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

std::string Quote(const std::string& name) {
    std::string q = "\"";
    for (char c : name) {
        if (c == '"') q += '"';
        q += c;
    }
    return q + "\"";
}

}  // namespace

std::string CutUtf8(const std::string& text, std::size_t chars) {
    std::size_t at = 0, n = 0;
    while (at < text.size() && n < chars) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (at + len > text.size()) len = 1;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80) len = 1;
        at += len;
        ++n;
    }
    return text.substr(0, at);
}

std::vector<std::string> SplitFieldList(const std::string& list) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t semi = list.find(';', start);
        if (semi == std::string::npos) semi = list.size();
        std::string part = Trim(list.substr(start, semi - start));
        if (!part.empty()) out.push_back(part);
        start = semi + 1;
    }
    return out;
}

// ---- session ---------------------------------------------------------------

const Session::Alias& Session::AddStandardAlias(const std::string& name, const std::string& path,
                                                const std::string& driver) {
    auto it = aliases_.find(name);
    if (it != aliases_.end()) return it->second;
    return aliases_.emplace(name, Alias{path, driver}).first->second;
}

const Session::Alias* Session::FindAlias(const std::string& name) const {
    auto it = aliases_.find(name);
    return it == aliases_.end() ? nullptr : &it->second;
}

const Session::Alias& RunTimeDbCreate(Session& s, const std::string& name, const std::string& shapeDir) {
    return s.AddStandardAlias(name, shapeDir, "DBASE");
}

const Session::Alias& RunTimeDbCreateP(Session& s, const std::string& name, const std::string& shapeDir) {
    return s.AddStandardAlias(name, shapeDir, "Paradox");
}

// ---- dBase -----------------------------------------------------------------

DbfTable::~DbfTable() { Discard(); }

void DbfTable::Discard() {
    if (handle_) DBFClose(static_cast<DBFHandle>(handle_));
    handle_ = nullptr;
    file_.reset();
}

const std::string& DbfTable::temporaryPath() const {
    static const std::string none;
    return file_ ? file_->temporaryPath() : none;
}

Result DbfTable::Create(const std::string& path, const std::vector<FieldDef>& fields) {
    Discard();
    target_ = path;
    fields_ = fields;
    records_ = 0;
    // shapelib names the file itself from its base name: give it one that
    // ends in .dbf.
    file_ = std::make_unique<AtomicFile>(path);
    Result opened = file_->OpenNamed(".dbf");
    if (!opened) {
        file_.reset();
        return opened;
    }
    DBFHandle h = DBFCreate(file_->temporaryPath().c_str());
    if (!h) {
        Discard();
        return Result::Fail("cannot create the table " + path);
    }
    handle_ = h;
    for (const FieldDef& f : fields) {
        if (f.Name.empty() || f.Name.size() > 10) {
            Discard();
            return Result::Fail("a dBase field name has 1 to 10 characters: \"" + f.Name + "\"");
        }
        int r = -1;
        switch (f.Type) {
            case FieldKind::String: r = DBFAddField(h, f.Name.c_str(), FTString, std::clamp(f.Size, 1, 254), 0); break;
            case FieldKind::Integer: r = DBFAddField(h, f.Name.c_str(), FTInteger, 9, 0); break;
            case FieldKind::Float: r = DBFAddField(h, f.Name.c_str(), FTDouble, 19, 8); break;
        }
        if (r < 0) {
            Discard();
            return Result::Fail("cannot add the field " + f.Name + " to " + path);
        }
    }
    return Result::Ok();
}

bool DbfTable::HasField(const std::string& name) const { return Index(name) >= 0; }

int DbfTable::Index(const std::string& name) const {
    for (std::size_t k = 0; k < fields_.size(); ++k)
        if (fields_[k].Name == name) return static_cast<int>(k);
    return -1;
}

Result DbfTable::Append() {
    if (!handle_) return Result::Fail("the table is not open");
    DBFHandle h = static_cast<DBFHandle>(handle_);
    for (int k = 0; k < static_cast<int>(fields_.size()); ++k)
        if (!DBFWriteNULLAttribute(h, records_, k)) return Result::Fail("cannot write to " + target_);
    ++records_;
    return Result::Ok();
}

Result DbfTable::SetField(const std::string& name, const std::string& text) {
    int k = Index(name);
    if (!handle_ || records_ == 0 || k < 0) return Result::Fail("no field " + name);
    if (!DBFWriteStringAttribute(static_cast<DBFHandle>(handle_), records_ - 1, k, text.c_str()))
        return Result::Fail("the value of " + name + " does not fit");
    return Result::Ok();
}

Result DbfTable::SetField(const std::string& name, std::int64_t value) {
    int k = Index(name);
    if (!handle_ || records_ == 0 || k < 0) return Result::Fail("no field " + name);
    DBFHandle h = static_cast<DBFHandle>(handle_);
    bool ok;
    if (fields_[k].Type == FieldKind::String)
        ok = DBFWriteStringAttribute(h, records_ - 1, k, std::to_string(value).c_str());
    else
        ok = DBFWriteDoubleAttribute(h, records_ - 1, k, static_cast<double>(value));
    return ok ? Result::Ok() : Result::Fail("the value of " + name + " does not fit");
}

Result DbfTable::SetField(const std::string& name, double value) {
    int k = Index(name);
    if (!handle_ || records_ == 0 || k < 0) return Result::Fail("no field " + name);
    DBFHandle h = static_cast<DBFHandle>(handle_);
    bool ok;
    if (fields_[k].Type == FieldKind::String)
        ok = DBFWriteStringAttribute(h, records_ - 1, k, RoundTripNumber(value).c_str());
    else
        ok = DBFWriteDoubleAttribute(h, records_ - 1, k, value);
    return ok ? Result::Ok() : Result::Fail("the value of " + name + " does not fit");
}

Result DbfTable::Finish() {
    if (!handle_ || !file_) return Result::Fail("the table " + target_ + " was not made");
    DBFClose(static_cast<DBFHandle>(handle_));
    handle_ = nullptr;
    // shapelib writes through stdio and reports no write errors: the file
    // must hold what its header promises.
    const std::string& temp = file_->temporaryPath();
    unsigned char h[12] = {};
    bool ok = false;
    if (std::FILE* f = std::fopen(temp.c_str(), "rb")) {
        ok = std::fread(h, 1, sizeof h, f) == sizeof h;
        std::fclose(f);
    }
    struct stat st {};
    if (ok && ::stat(temp.c_str(), &st) == 0) {
        const std::uint64_t need = std::uint64_t(h[8] | (h[9] << 8)) +
                                   std::uint64_t(LoadLE32(h + 4)) * std::uint64_t(h[10] | (h[11] << 8));
        ok = static_cast<std::uint64_t>(st.st_size) >= need;
    } else {
        ok = false;
    }
    if (!ok) {
        file_->SetError("cannot write " + target_ + ": the disk may be full");
        return Result::Fail("cannot write " + target_ + ": the disk may be full");
    }
    return Result::Ok();
}

Result DbfTable::Commit() {
    Result r = Finish();
    if (r) r = file_->Commit();
    file_.reset();
    return r;
}

// ---- keyed tables ----------------------------------------------------------

KeyedTable::~KeyedTable() { Discard(); }

void KeyedTable::Discard() {
    if (insert_) sqlite3_finalize(insert_);
    insert_ = nullptr;
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
    file_.reset();
    pending_ = false;
}

Result KeyedTable::Fail(const std::string& what) {
    std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
    return Result::Fail(what + ": " + why);
}

Result KeyedTable::Exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string why = err ? err : "error";
        sqlite3_free(err);
        return Result::Fail(target_ + ": " + why);
    }
    return Result::Ok();
}

std::string KeyedTable::CreateSql(const std::string& table, const std::vector<std::string>& key) const {
    std::string sql = "CREATE TABLE " + Quote(table) + " (";
    for (std::size_t k = 0; k < fields_.size(); ++k) {
        const FieldDef& f = fields_[k];
        if (k) sql += ", ";
        sql += Quote(f.Name) + " ";
        switch (f.Type) {
            case FieldKind::String: sql += "VARCHAR(" + std::to_string(f.Size) + ")"; break;
            case FieldKind::Integer: sql += "INTEGER"; break;
            case FieldKind::Float: sql += "REAL"; break;
        }
    }
    if (!key.empty()) {
        sql += ", PRIMARY KEY(";
        for (std::size_t k = 0; k < key.size(); ++k) sql += (k ? ", " : "") + Quote(key[k]);
        sql += ")";
    }
    return sql + ")";
}

Result KeyedTable::Create(const std::string& path, const std::string& tableName, const std::vector<FieldDef>& fields,
                          const std::string& key) {
    Discard();
    target_ = path;
    table_ = tableName;
    fields_ = fields;
    if (fields.empty()) return Result::Fail("a table needs at least one field: " + path);
    std::vector<std::string> keyFields = SplitFieldList(key);
    for (const std::string& k : keyFields)
        if (Index(k) < 0) return Result::Fail("the key field " + k + " is not a field of " + tableName);
    file_ = std::make_unique<AtomicFile>(path);
    Result opened = file_->OpenNamed();
    if (!opened) {
        file_.reset();
        return opened;
    }
    if (sqlite3_open_v2(file_->temporaryPath().c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        Result r = Fail("cannot create " + path);
        Discard();
        return r;
    }
    Result r = Exec("PRAGMA journal_mode=MEMORY");
    if (r) r = Exec(CreateSql(table_, keyFields));
    if (r) r = Exec("BEGIN");
    if (!r) {
        Discard();
        return r;
    }
    std::string sql = "INSERT INTO " + Quote(table_) + " VALUES (";
    for (std::size_t k = 0; k < fields_.size(); ++k) sql += k ? ", ?" : "?";
    sql += ")";
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &insert_, nullptr) != SQLITE_OK) {
        r = Fail("cannot prepare " + path);
        Discard();
        return r;
    }
    row_.assign(fields_.size(), Value());
    return Result::Ok();
}

int KeyedTable::Index(const std::string& name) const {
    for (std::size_t k = 0; k < fields_.size(); ++k)
        if (fields_[k].Name == name) return static_cast<int>(k);
    return -1;
}

Result KeyedTable::Append() {
    if (!db_) return Result::Fail("the table is not open");
    if (pending_) {
        Result r = Post();
        if (!r) return r;
    }
    row_.assign(fields_.size(), Value());
    pending_ = true;
    return Result::Ok();
}

Result KeyedTable::SetField(const std::string& name, const std::string& text) {
    int k = Index(name);
    if (k < 0) return Result::Fail("no field " + name);
    return SetFieldAt(k, text);
}

Result KeyedTable::SetField(const std::string& name, std::int64_t value) {
    int k = Index(name);
    if (k < 0) return Result::Fail("no field " + name);
    return SetFieldAt(k, value);
}

Result KeyedTable::SetField(const std::string& name, double value) {
    int k = Index(name);
    if (k < 0) return Result::Fail("no field " + name);
    return SetFieldAt(k, value);
}

Result KeyedTable::SetFieldAt(int k, const std::string& text) {
    if (!pending_ || k < 0 || k >= static_cast<int>(fields_.size())) return Result::Fail("no such field");
    Value& v = row_[k];
    if (fields_[k].Type == FieldKind::String) {
        v.kind = Value::Text;
        // Strings keep their declared width, as the engine's tables do.
        v.text = CutUtf8(text, static_cast<std::size_t>(std::max(fields_[k].Size, 0)));
    } else {
        // Numbers from text: what does not read as a number is 0.
        char* end = nullptr;
        std::string t = Trim(text);
        if (fields_[k].Type == FieldKind::Integer) {
            v.kind = Value::Int;
            v.i = std::strtoll(t.c_str(), &end, 10);
        } else {
            v.kind = Value::Real;
            v.r = std::strtod(t.c_str(), &end);
        }
    }
    return Result::Ok();
}

Result KeyedTable::SetFieldAt(int k, std::int64_t value) {
    if (!pending_ || k < 0 || k >= static_cast<int>(fields_.size())) return Result::Fail("no such field");
    if (fields_[k].Type == FieldKind::String) return SetFieldAt(k, std::to_string(value));
    Value& v = row_[k];
    v.kind = fields_[k].Type == FieldKind::Integer ? Value::Int : Value::Real;
    v.i = value;
    v.r = static_cast<double>(value);
    return Result::Ok();
}

Result KeyedTable::SetFieldAt(int k, double value) {
    if (!pending_ || k < 0 || k >= static_cast<int>(fields_.size())) return Result::Fail("no such field");
    if (fields_[k].Type == FieldKind::String) return SetFieldAt(k, RoundTripNumber(value));
    Value& v = row_[k];
    v.kind = fields_[k].Type == FieldKind::Integer ? Value::Int : Value::Real;
    v.i = static_cast<std::int64_t>(value);
    v.r = value;
    return Result::Ok();
}

Result KeyedTable::Post() {
    if (!pending_) return Result::Ok();
    pending_ = false;
    sqlite3_reset(insert_);
    sqlite3_clear_bindings(insert_);
    for (std::size_t k = 0; k < row_.size(); ++k) {
        const Value& v = row_[k];
        const int p = static_cast<int>(k) + 1;
        switch (v.kind) {
            case Value::Null: sqlite3_bind_null(insert_, p); break;
            case Value::Text: sqlite3_bind_text(insert_, p, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT); break;
            case Value::Int: sqlite3_bind_int64(insert_, p, v.i); break;
            case Value::Real: sqlite3_bind_double(insert_, p, v.r); break;
        }
    }
    if (sqlite3_step(insert_) != SQLITE_DONE) {
        Result r = Fail("cannot add a record to " + table_);
        sqlite3_reset(insert_);
        return r;
    }
    return Result::Ok();
}

Result KeyedTable::AddPrimaryIndex(const std::string& key) {
    if (!db_) return Result::Fail("the table is not open");
    Result r = Post();
    if (!r) return r;
    std::vector<std::string> keyFields = SplitFieldList(key);
    if (keyFields.empty()) return Result::Fail("no key fields in \"" + key + "\"");
    for (const std::string& k : keyFields)
        if (Index(k) < 0) return Result::Fail("the key field " + k + " is not a field of " + table_);
    // SQLite declares keys with the table: rebuild it with the key.
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    const std::string building = table_ + " (keyed)";
    r = Exec(CreateSql(building, keyFields));
    if (r) r = Exec("INSERT INTO " + Quote(building) + " SELECT * FROM " + Quote(table_));
    if (!r) return Result::Fail("duplicate key in " + table_ + " (" + key + "): " + r.reason);
    r = Exec("DROP TABLE " + Quote(table_));
    if (r) r = Exec("ALTER TABLE " + Quote(building) + " RENAME TO " + Quote(table_));
    if (!r) return r;
    std::string sql = "INSERT INTO " + Quote(table_) + " VALUES (";
    for (std::size_t k = 0; k < fields_.size(); ++k) sql += k ? ", ?" : "?";
    sql += ")";
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &insert_, nullptr) != SQLITE_OK) return Fail("cannot prepare");
    return Result::Ok();
}

Result KeyedTable::Commit() {
    if (!db_) return Result::Fail("the table " + target_ + " was not made");
    Result r = Post();
    if (r) r = Exec("COMMIT");
    if (!r) {
        Discard();
        return r;
    }
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    if (sqlite3_close(db_) != SQLITE_OK) {
        db_ = nullptr;
        Discard();
        return Result::Fail("cannot write " + target_);
    }
    db_ = nullptr;
    r = file_->Commit();
    file_.reset();
    return r;
}

// ---- reading ---------------------------------------------------------------

namespace {

bool LooksLikeSqlite(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    char magic[16] = {};
    f.read(magic, 16);
    return f.gcount() == 16 && std::memcmp(magic, "SQLite format 3", 16) == 0;
}

bool LooksLikeDbf(const std::string& path) {
    DBFHandle h = DBFOpen(path.c_str(), "rb");
    if (!h) return false;
    DBFClose(h);
    return true;
}

}  // namespace

bool TableExists(const std::string& path, const std::string& table) {
    if (!FileExists(path)) return false;
    if (!LooksLikeSqlite(path)) return table.empty() && LooksLikeDbf(path);
    Table t;
    return static_cast<bool>(t.Open(path, table));
}

Table::~Table() { Close(); }

void Table::Close() {
    if (master_) {
        auto& d = master_->details_;
        d.erase(std::remove(d.begin(), d.end(), this), d.end());
        master_ = nullptr;
    }
    for (Table* d : details_) d->master_ = nullptr;
    details_.clear();
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
    rows_.clear();
    fields_.clear();
    key_.clear();
}

Result Table::Open(const std::string& path, const std::string& table) {
    Close();
    if (!FileExists(path)) return Result::Fail("the table " + path + " does not exist");
    if (!LooksLikeSqlite(path)) return Result::Fail(path + " is not a table file of this program (not an SQLite database)");
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
        Close();
        return Result::Fail("cannot open " + path + ": " + why);
    }
    sqlite3_stmt* st = nullptr;
    std::vector<std::string> names;
    if (sqlite3_prepare_v2(db_, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY name", -1, &st, nullptr) !=
        SQLITE_OK) {
        std::string why = sqlite3_errmsg(db_);
        Close();
        return Result::Fail(path + " is not a readable table file: " + why);
    }
    while (sqlite3_step(st) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (table.empty()) {
        if (names.size() != 1) {
            Close();
            return Result::Fail(path + " holds " + std::to_string(names.size()) + " tables, not one");
        }
        table_ = names[0];
    } else {
        if (std::find(names.begin(), names.end(), table) == names.end()) {
            Close();
            return Result::Fail(path + " holds no table " + table);
        }
        table_ = table;
    }
    sqlite3_prepare_v2(db_, "SELECT name, type, pk FROM pragma_table_info(?) ORDER BY cid", -1, &st, nullptr);
    sqlite3_bind_text(st, 1, table_.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<std::pair<int, std::string>> pk;
    while (sqlite3_step(st) == SQLITE_ROW) {
        FieldDef f;
        f.Name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        std::string type = sqlite3_column_text(st, 1) ? reinterpret_cast<const char*>(sqlite3_column_text(st, 1)) : "";
        if (type.rfind("VARCHAR(", 0) == 0) {
            f.Type = FieldKind::String;
            f.Size = std::atoi(type.c_str() + 8);
        } else if (type == "INTEGER") {
            f.Type = FieldKind::Integer;
        } else if (type == "REAL") {
            f.Type = FieldKind::Float;
        }
        int k = sqlite3_column_int(st, 2);
        if (k > 0) pk.emplace_back(k, f.Name);
        fields_.push_back(f);
    }
    sqlite3_finalize(st);
    std::sort(pk.begin(), pk.end());
    for (auto& p : pk) key_.push_back(p.second);
    return Refresh();
}

int Table::Index(const std::string& field) const {
    for (std::size_t k = 0; k < fields_.size(); ++k)
        if (fields_[k].Name == field) return static_cast<int>(k);
    return -1;
}

bool Table::SetFilter(const std::string& text) {
    std::string t = Trim(text);
    if (t.size() < 2 || t[0] != '[') return false;
    std::size_t close = t.find(']');
    if (close == std::string::npos) return false;
    std::string field = t.substr(1, close - 1);
    std::string rest = Trim(t.substr(close + 1));
    if (rest.empty() || rest[0] != '=') return false;
    std::string value = Trim(rest.substr(1));
    if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    SetFilterValue(field, value);
    return true;
}

void Table::SetFilterValue(const std::string& field, const std::string& value) {
    filterField_ = field;
    filterValue_ = value;
    if (filtered_) Refresh();
}

Result Table::SetFiltered(bool on) {
    filtered_ = on;
    return Refresh();
}

Result Table::SetMaster(Table* master, const std::string& masterFields, const std::string& indexFields) {
    if (master_) {
        auto& d = master_->details_;
        d.erase(std::remove(d.begin(), d.end(), this), d.end());
    }
    master_ = master;
    masterFields_ = SplitFieldList(masterFields);
    indexFields_ = SplitFieldList(indexFields);
    if (master_) {
        if (masterFields_.size() != indexFields_.size() || masterFields_.empty())
            return Result::Fail("the master and index field lists differ in length");
        master_->details_.push_back(this);
    }
    return Refresh();
}

Result Table::Refresh() {
    rows_.clear();
    current_ = 0;
    eof_ = false;
    if (!db_) return Result::Fail("the table is not open");
    std::string sql = "SELECT * FROM " + Quote(table_);
    std::vector<std::pair<bool, std::string>> binds;  // null?, value
    std::vector<std::string> where;
    if (filtered_ && !filterField_.empty()) {
        int k = Index(filterField_);
        if (k < 0) return Result::Fail("no field " + filterField_ + " to filter on");
        where.push_back(Quote(filterField_) + " = ?");
        binds.emplace_back(false, filterValue_);
    }
    if (master_) {
        for (std::size_t k = 0; k < indexFields_.size(); ++k) {
            if (Index(indexFields_[k]) < 0) return Result::Fail("no field " + indexFields_[k] + " to link on");
            where.push_back(Quote(indexFields_[k]) + " = ?");
            const bool none = master_->rows_.empty() || master_->IsNull(masterFields_[k]);
            binds.emplace_back(none, none ? std::string() : master_->FieldText(masterFields_[k]));
        }
    }
    for (std::size_t k = 0; k < where.size(); ++k) sql += (k ? " AND " : " WHERE ") + where[k];
    sql += " ORDER BY ";
    if (!order_.empty()) {
        for (std::size_t k = 0; k < order_.size(); ++k) {
            if (Index(order_[k]) < 0) return Result::Fail("no field " + order_[k] + " to sort on");
            sql += (k ? ", " : "") + Quote(order_[k]);
        }
        sql += ", rowid";
    } else if (key_.empty()) {
        sql += "rowid";
    } else {
        for (std::size_t k = 0; k < key_.size(); ++k) sql += (k ? ", " : "") + Quote(key_[k]);
    }
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
        return Result::Fail(std::string("cannot read ") + table_ + ": " + sqlite3_errmsg(db_));
    for (std::size_t k = 0; k < binds.size(); ++k) {
        const int p = static_cast<int>(k) + 1;
        if (binds[k].first) {
            sqlite3_bind_null(st, p);
            continue;
        }
        // Text, even for numbers: the column's affinity converts it, and a
        // text key such as "007" keeps its zeros.
        const std::string& v = binds[k].second;
        sqlite3_bind_text(st, p, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    int rc;
    const int n = sqlite3_column_count(st);
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<Cell> row(static_cast<std::size_t>(n));
        for (int c = 0; c < n; ++c) {
            if (sqlite3_column_type(st, c) == SQLITE_NULL) continue;
            row[c].null = false;
            const unsigned char* t = sqlite3_column_text(st, c);
            row[c].text.assign(reinterpret_cast<const char*>(t), static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
        }
        rows_.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) return Result::Fail(std::string("cannot read ") + table_ + ": " + sqlite3_errmsg(db_));
    Moved();
    return Result::Ok();
}

void Table::Moved() {
    for (Table* d : details_) d->Refresh();
}

void Table::First() {
    current_ = 0;
    eof_ = false;
    Moved();
}

void Table::Last() {
    current_ = rows_.empty() ? 0 : static_cast<int>(rows_.size()) - 1;
    eof_ = false;
    Moved();
}

void Table::Next() {
    if (current_ + 1 < static_cast<int>(rows_.size())) {
        ++current_;
        Moved();
    } else {
        eof_ = true;
    }
}

void Table::Prior() {
    eof_ = false;
    if (current_ > 0) {
        --current_;
        Moved();
    }
}

bool Table::Locate(const std::string& field, const std::string& value) {
    int k = Index(field);
    if (k < 0) return false;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        const Cell& c = rows_[r][static_cast<std::size_t>(k)];
        if (c.null || c.text != value) continue;
        current_ = static_cast<int>(r);
        eof_ = false;
        Moved();
        return true;
    }
    return false;
}

bool Table::IsNull(const std::string& field) const {
    int k = Index(field);
    return k < 0 || rows_.empty() || rows_[current_][static_cast<std::size_t>(k)].null;
}

std::string Table::FieldText(const std::string& field) const {
    int k = Index(field);
    if (k < 0 || rows_.empty()) return {};
    return rows_[current_][static_cast<std::size_t>(k)].text;
}

std::int64_t Table::FieldInt(const std::string& field) const { return std::strtoll(FieldText(field).c_str(), nullptr, 10); }

double Table::FieldReal(const std::string& field) const { return std::strtod(FieldText(field).c_str(), nullptr); }

}  // namespace zemba::db
