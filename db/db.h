// The table engine: dBase tables (through shapelib) for shapefile attribute
// tables, and keyed tables (one SQLite file per table) for the soil tables.
// Every value reaches SQLite as a bound parameter; names are quoted.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "core/ui.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zemba::db {

enum class FieldKind { String, Integer, Float };

struct FieldDef {
    std::string Name;
    FieldKind Type = FieldKind::String;
    int Size = 0;  // characters, for strings
};

// The first `chars` characters of UTF-8 text (bytes that are not valid
// UTF-8 count as one character each).
std::string CutUtf8(const std::string& text, std::size_t chars);

// "MUID;SEQNUMS" -> {"MUID", "SEQNUMS"} (blanks trimmed, empty parts dropped).
std::vector<std::string> SplitFieldList(const std::string& list);

// Named folders standing for the engine's aliases. They stay for the rest of
// the run and are reused by name.
class Session {
public:
    struct Alias {
        std::string Path;
        std::string Driver;  // "DBASE", "Paradox"
    };
    // Adds the alias, or keeps the existing one of that name.
    const Alias& AddStandardAlias(const std::string& name, const std::string& path, const std::string& driver);
    const Alias* FindAlias(const std::string& name) const;
    std::size_t AliasCount() const { return aliases_.size(); }

private:
    std::map<std::string, Alias> aliases_;
};

// The dBase alias of an export ("sshift1" ...) and the Paradox one of the
// soil builder: created on first use, reused afterwards.
const Session::Alias& RunTimeDbCreate(Session& s, const std::string& name, const std::string& shapeDir);
const Session::Alias& RunTimeDbCreateP(Session& s, const std::string& name, const std::string& shapeDir);

// A dBase III table being written. Created under a temporary name in the
// target's folder; Commit() puts it in place, replacing an older table.
// Dropped uncommitted, it leaves nothing behind.
class DbfTable {
public:
    DbfTable() = default;
    ~DbfTable();
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    // Integer fields are N(9,0), floats N(19,8), strings C(Size).
    Result Create(const std::string& path, const std::vector<FieldDef>& fields);
    bool Active() const { return handle_ != nullptr; }
    // Starts a new record (the one before is already written).
    Result Append();
    Result SetField(const std::string& name, const std::string& text);
    Result SetField(const std::string& name, std::int64_t value);
    Result SetField(const std::string& name, double value);
    Result Post() { return Result::Ok(); }
    int RecordCount() const { return records_; }
    bool HasField(const std::string& name) const;
    // Closes the table and puts it in place of the target.
    Result Commit();
    // Closes the table and checks it is complete, for a commit together
    // with other files (CommitAll with file()).
    Result Finish();
    AtomicFile& file() { return *file_; }
    // Closes and removes the temporary file.
    void Discard();
    const std::string& path() const { return target_; }
    const std::string& temporaryPath() const;

private:
    int Index(const std::string& name) const;
    void* handle_ = nullptr;  // DBFHandle
    std::string target_;
    std::unique_ptr<AtomicFile> file_;
    std::vector<FieldDef> fields_;
    int records_ = 0;
};

// A keyed table being built: one SQLite file holding one table. Rows are
// appended in one transaction; Commit() renames the finished file over the
// target, so an older table stays until the new one is complete.
class KeyedTable {
public:
    KeyedTable() = default;
    ~KeyedTable();
    KeyedTable(const KeyedTable&) = delete;
    KeyedTable& operator=(const KeyedTable&) = delete;

    // `key` ("MUID;SEQNUMS") may be empty; it can also be added after the
    // rows with AddPrimaryIndex.
    Result Create(const std::string& path, const std::string& tableName, const std::vector<FieldDef>& fields,
                  const std::string& key = {});
    // Posts the pending record, if any, and starts a new one (all fields null).
    Result Append();
    // Strings keep their declared width in characters (UTF-8 text is cut
    // between characters, never inside one).
    Result SetField(const std::string& name, const std::string& text);
    Result SetField(const std::string& name, std::int64_t value);
    Result SetField(const std::string& name, double value);
    // The same by field position (FieldIndex), for loops over many rows.
    int FieldIndex(const std::string& name) const { return Index(name); }
    Result SetFieldAt(int k, const std::string& text);
    Result SetFieldAt(int k, std::int64_t value);
    Result SetFieldAt(int k, double value);
    // Writes the pending record; a duplicate key fails with the reason.
    Result Post();
    // Declares the primary key over the rows so far.
    Result AddPrimaryIndex(const std::string& key);
    Result Commit();
    void Discard();

private:
    struct Value {
        enum Kind { Null, Text, Int, Real } kind = Null;
        std::string text;
        std::int64_t i = 0;
        double r = 0;
    };
    int Index(const std::string& name) const;
    Result Exec(const std::string& sql);
    Result Fail(const std::string& what);
    std::string CreateSql(const std::string& table, const std::vector<std::string>& key) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    std::string target_, table_;
    std::unique_ptr<AtomicFile> file_;
    std::vector<FieldDef> fields_;
    std::vector<Value> row_;
    bool pending_ = false;
};

// Whether `path` is a table file this engine reads: a dBase table, or an
// SQLite file holding a table (named `table`, or any when empty).
bool TableExists(const std::string& path, const std::string& table = {});

// A table opened for browsing: a cursor over its rows in key order, with an
// optional filter, a master table it follows, and locate.
class Table {
public:
    Table() = default;
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Opens an SQLite table file; `table` empty takes the file's only table.
    // A file that is not such a table fails with a message.
    Result Open(const std::string& path, const std::string& table = {});
    void Close();
    bool Active() const { return db_ != nullptr; }

    const std::vector<FieldDef>& Fields() const { return fields_; }
    const std::vector<std::string>& Key() const { return key_; }

    // "[SEQNUM] = 3" (a number or a quoted text); false for another form.
    bool SetFilter(const std::string& text);
    void SetFilterValue(const std::string& field, const std::string& value);
    Result SetFiltered(bool on);

    // Row order: these fields ("SEQNUM" or "MUID;SEQNUM") instead of the
    // key; empty goes back to the key. Takes effect at the next Refresh.
    void SetOrder(const std::string& fields) { order_ = SplitFieldList(fields); }

    // Shows only the rows whose index fields equal the master's current
    // row's master fields, following the master as it moves.
    Result SetMaster(Table* master, const std::string& masterFields, const std::string& indexFields);

    int RecordCount() const { return static_cast<int>(rows_.size()); }
    int RecNo() const { return rows_.empty() ? 0 : current_ + 1; }
    bool Eof() const { return rows_.empty() || eof_; }
    void First();
    void Last();
    void Next();
    void Prior();
    // Exact match on one field; the position stays when nothing matches.
    bool Locate(const std::string& field, const std::string& value);

    bool IsNull(const std::string& field) const;
    std::string FieldText(const std::string& field) const;
    std::int64_t FieldInt(const std::string& field) const;
    double FieldReal(const std::string& field) const;
    // Reloads the rows (after the master moved or the filter changed).
    Result Refresh();

private:
    struct Cell {
        bool null = true;
        std::string text;
    };
    int Index(const std::string& field) const;
    void Moved();

    sqlite3* db_ = nullptr;
    std::string table_;
    std::vector<FieldDef> fields_;
    std::vector<std::string> key_;
    std::vector<std::string> order_;
    std::vector<std::vector<Cell>> rows_;
    int current_ = 0;
    bool eof_ = false;
    std::string filterField_, filterValue_;
    bool filtered_ = false;
    Table* master_ = nullptr;
    std::vector<std::string> masterFields_, indexFields_;
    std::vector<Table*> details_;
};

}  // namespace zemba::db
