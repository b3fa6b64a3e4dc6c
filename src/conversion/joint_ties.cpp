// SPDX-License-Identifier: MIT
#include "joint_ties.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

#include "keyframes/key_header.h"
#include "keyframes/number_text.h"
#include "keyframes/text_rules.h"

namespace zerka {
namespace {

std::string UpperCased(std::string_view name)
{
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(), UpperAscii);
    return upper;
}

std::vector<HierarchyNode> RecordsOf(const Table<HierarchyNode, kMaxHierarchyNodes> &table,
                                     int count)
{
    std::vector<HierarchyNode> records;
    records.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i)
        records.push_back(table(i));
    return records;
}

std::string Plural(int count, const char *one, const char *many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::optional<std::int16_t> JointNumberOf(std::string_view firstToken)
{
    if (!firstToken.empty() && firstToken.back() == ':')
        firstToken.remove_suffix(1);
    return SixteenBitNumber(firstToken);
}

JointTies::JointTies(const KeyframeTables &tables, MatchOptions options)
    : options_(std::move(options)), old_(RecordsOf(tables.OldHierarchy, tables.OldHierarchyCount)),
      new_(RecordsOf(tables.NewHierarchy, tables.NewHierarchyCount)),
      oldFile_(tables.OldHierarchyFile), newFile_(tables.NewHierarchyFile)
{
    const auto [oldModel, newModel] = NamesApart(oldFile_, newFile_);
    oldModel_ = ShownName(oldModel);
    newModel_ = ShownName(newModel);
    const auto index = [](const std::vector<HierarchyNode> &records,
                          std::unordered_map<std::int16_t, Numbered> &byNumber) {
        for (std::size_t r = 0; r < records.size(); ++r) {
            if (!records[r].JointNumber)
                continue;
            Numbered &entry = byNumber[*records[r].JointNumber];
            if (entry.Count++ == 0)
                entry.First = static_cast<int>(r);
        }
    };
    index(old_, oldByNumber_);
    index(new_, newByNumber_);
    for (std::size_t r = 0; r < new_.size(); ++r) {
        Named &entry = newByName_[UpperCased(MatchingName(new_[r].NodeName))];
        if (!new_[r].JointNumber) {
            ++entry.Unnumbered;
        } else if (entry.Numbered++ == 0) {
            entry.First = static_cast<int>(r);
        }
    }
    for (const HierarchyNode &record : old_)
        ++oldNames_[UpperCased(record.NodeName)];
    for (const auto *byNumber : {&oldByNumber_, &newByNumber_})
        for (const auto &[number, entry] : *byNumber)
            if (made_.count(number) == 0)
                made_.emplace(number, TieAnew(number));
}

const std::string &JointTies::MatchingName(const std::string &newName) const
{
    for (const NodeRename &rename : options_.Renames)
        if (SameIgnoringCase(rename.NewName, newName))
            return rename.OldName;
    return newName;
}

JointTies::Numbered JointTies::FindNumber(const std::unordered_map<std::int16_t, Numbered> &index,
                                          std::int16_t number) const
{
    const auto found = index.find(number);
    return found == index.end() ? Numbered{} : found->second;
}

JointTies::Named JointTies::FindName(std::string_view oldName) const
{
    const auto found = newByName_.find(UpperCased(oldName));
    return found == newByName_.end() ? Named{} : found->second;
}

bool JointTies::OldHasName(std::string_view name) const
{
    return oldNames_.count(UpperCased(name)) != 0;
}

void JointTies::TieRecords(JointTie &tie, const HierarchyNode &oldRecord,
                           const HierarchyNode &newRecord) const
{
    tie.Fate = TieFate::Moved;
    tie.Why = TieWhy::None;
    tie.NewName = newRecord.NodeName;
    tie.NewNumber = *newRecord.JointNumber;
    tie.ByRename = !SameIgnoringCase(oldRecord.NodeName, newRecord.NodeName);
    const auto at = [](const HierarchyNode &record, const std::string &file) {
        const auto axis = [&](const std::string &text, const char *name) {
            return ParseDoubleText(text, {file, record.Line, name, kHierarchyLineScope});
        };
        return RecordMove{axis(record.X, "X"), axis(record.Y, "Y"), axis(record.Z, "Z")};
    };
    try {
        tie.NewAt = at(newRecord, newFile_);
        tie.OldAt = at(oldRecord, oldFile_);
        tie.Move = {tie.NewAt.X - tie.OldAt.X, tie.NewAt.Y - tie.OldAt.Y, tie.NewAt.Z - tie.OldAt.Z};
    } catch (const FileError &error) {
        tie.Problem = error;
    }
}

std::vector<std::string> JointTies::NewNames() const
{
    std::vector<std::string> names;
    for (const HierarchyNode &record : new_)
        if (!OldHasName(MatchingName(record.NodeName)))
            names.push_back(ShownName(record.NodeName));
    return names;
}

bool JointTies::NothingMoves() const
{
    if (old_.size() != new_.size() || old_.empty())
        return false;
    const std::vector<JointTie> rows = Rows();
    return std::all_of(rows.begin(), rows.end(), [](const JointTie &row) {
        return row.Fate == TieFate::Moved && !row.Problem && row.NoMove() && !row.Followed();
    });
}

// The node moves exactly when both models have one record of its number and their names
// agree; otherwise it is left, and the reason says what the user can do about it.
void JointTies::TieByNumber(JointTie &tie) const
{
    const Numbered inOld = FindNumber(oldByNumber_, tie.Number);
    const Numbered inNew = FindNumber(newByNumber_, tie.Number);
    tie.Fate = TieFate::Left;
    if (inOld.Count == 0) {
        tie.Why = inNew.Count == 0 ? TieWhy::NotInEither : TieWhy::NotInOld;
        if (inNew.Count == 1)
            tie.NewName = new_[static_cast<std::size_t>(inNew.First)].NodeName;
        return;
    }
    if (inOld.Count > 1) {
        tie.Why = TieWhy::SharedInOld;
        tie.Sharing = inOld.Count;
        return;
    }
    const HierarchyNode &oldRecord = old_[static_cast<std::size_t>(inOld.First)];
    tie.OldName = oldRecord.NodeName;
    if (inNew.Count == 1) {
        const HierarchyNode &newRecord = new_[static_cast<std::size_t>(inNew.First)];
        tie.NewName = newRecord.NodeName;
        if (SameIgnoringCase(oldRecord.NodeName, MatchingName(newRecord.NodeName))) {
            TieRecords(tie, oldRecord, newRecord);
            return;
        }
    }
    const Named named = FindName(oldRecord.NodeName);
    if (named.Numbered == 1) {
        const HierarchyNode &elsewhere = new_[static_cast<std::size_t>(named.First)];
        if (*elsewhere.JointNumber != tie.Number) {
            tie.Why = TieWhy::NumberedDifferently;
            tie.NewNumber = *elsewhere.JointNumber;
            return;
        }
    }
    if (inNew.Count == 0) {
        tie.Why = TieWhy::NotInNew;
    } else if (inNew.Count > 1) {
        tie.Why = TieWhy::SharedInNew;
        tie.Sharing = inNew.Count;
    } else {
        tie.Why = TieWhy::Renamed;
        tie.RenameHint = !OldHasName(tie.NewName);
    }
}

// --renumber: the joint the number names in the old model is looked up by name in the new.
void JointTies::TieByName(JointTie &tie) const
{
    const Numbered inOld = FindNumber(oldByNumber_, tie.Number);
    tie.Fate = TieFate::Dropped;
    if (inOld.Count != 1) {
        tie.Why = inOld.Count == 0 ? TieWhy::NotInOld : TieWhy::SharedInOld;
        tie.Sharing = inOld.Count;
        return;
    }
    const HierarchyNode &oldRecord = old_[static_cast<std::size_t>(inOld.First)];
    tie.OldName = oldRecord.NodeName;
    // A name two joints of the old model share cannot say which joint of the new model
    // this one became.
    if (const int sharing = oldNames_.at(UpperCased(oldRecord.NodeName)); sharing > 1) {
        tie.Why = TieWhy::NameSharedInOld;
        tie.Sharing = sharing;
        return;
    }
    const Named named = FindName(oldRecord.NodeName);
    if (named.Numbered == 1) {
        const HierarchyNode &newRecord = new_[static_cast<std::size_t>(named.First)];
        // Nor can a number two records of the new model share tie the node to one of them.
        if (const Numbered inNew = FindNumber(newByNumber_, *newRecord.JointNumber);
            inNew.Count > 1) {
            tie.Why = TieWhy::SharedInNew;
            tie.NewNumber = *newRecord.JointNumber;
            tie.Sharing = inNew.Count;
            return;
        }
        TieRecords(tie, oldRecord, newRecord);
        return;
    }
    tie.Why = named.Numbered > 1     ? TieWhy::NameSharedInNew
              : named.Unnumbered > 0 ? TieWhy::NameUnnumberedInNew
                                     : TieWhy::NameNotInNew;
    tie.Sharing = named.Numbered;
}

JointTie JointTies::Tie(std::int16_t number) const
{
    const auto found = made_.find(number);
    return found != made_.end() ? found->second : TieAnew(number);
}

JointTie JointTies::TieAnew(std::int16_t number) const
{
    JointTie tie;
    tie.Number = number;
    tie.NewNumber = number;
    if (options_.Renumber)
        TieByName(tie);
    else
        TieByNumber(tie);
    return tie;
}

std::vector<JointTie> JointTies::Rows() const
{
    std::vector<std::int16_t> numbers;
    for (const auto &[number, entry] : oldByNumber_)
        numbers.push_back(number);
    for (const auto &[number, entry] : newByNumber_)
        if (oldByNumber_.count(number) == 0 && !options_.Renumber)
            numbers.push_back(number);
    std::sort(numbers.begin(), numbers.end());
    std::vector<JointTie> rows;
    rows.reserve(numbers.size());
    for (const std::int16_t number : numbers)
        rows.push_back(Tie(number));
    if (options_.Renumber) {
        std::vector<bool> reached(new_.size(), false);
        for (const JointTie &row : rows)
            if (row.Fate == TieFate::Moved)
                reached[static_cast<std::size_t>(FindName(row.OldName).First)] = true;
        for (std::size_t r = 0; r < new_.size(); ++r) {
            if (reached[r] || !new_[r].JointNumber)
                continue;
            JointTie row;
            row.Number = row.NewNumber = *new_[r].JointNumber;
            row.Why = TieWhy::NewJoint;
            row.NewName = new_[r].NodeName;
            rows.push_back(std::move(row));
        }
    }
    const auto unnumbered = [&rows](const std::vector<HierarchyNode> &records, bool isOld) {
        for (const HierarchyNode &record : records) {
            if (record.JointNumber)
                continue;
            JointTie row;
            row.Numbered = false;
            (isOld ? row.OldName : row.NewName) = record.NodeName;
            rows.push_back(std::move(row));
        }
    };
    unnumbered(old_, true);
    unnumbered(new_, false);
    return rows;
}

std::string TieNote(const JointTie &tie, const JointTies &ties)
{
    const std::string number = std::to_string(tie.Number);
    const std::string oldName = ShownName(tie.OldName);
    switch (tie.Why) {
    case TieWhy::None: return {};
    case TieWhy::Renamed: {
        std::string note = "renamed to " + ShownName(tie.NewName) + " in " + ties.NewModel();
        if (tie.RenameHint)
            note += "; perhaps --rename " + oldName + "=" + ShownName(tie.NewName);
        return note;
    }
    case TieWhy::NumberedDifferently:
        return oldName + " is joint " + std::to_string(tie.NewNumber) + " in " + ties.NewModel() +
               "; --renumber follows it";
    case TieWhy::NotInOld: return "no joint " + number + " in " + ties.OldModel();
    case TieWhy::NotInNew: return "no joint " + number + " in " + ties.NewModel();
    case TieWhy::NotInEither: return "no joint " + number + " in either model";
    case TieWhy::SharedInOld:
        return Plural(tie.Sharing, "record", "records") + " of " + ties.OldModel() +
               " have joint number " + number;
    case TieWhy::SharedInNew:
        if (tie.NewNumber != tie.Number)
            return oldName + " is joint " + std::to_string(tie.NewNumber) + " in " +
                   ties.NewModel() + ", a number " + std::to_string(tie.Sharing) +
                   " records share";
        return Plural(tie.Sharing, "record", "records") + " of " + ties.NewModel() +
               " have joint number " + number;
    case TieWhy::NameNotInNew: return "no joint named " + oldName + " in " + ties.NewModel();
    case TieWhy::NameUnnumberedInNew:
        return oldName + " has no joint number in " + ties.NewModel();
    case TieWhy::NewJoint:
        return "joint " + number + " of " + ties.NewModel() + ": no joint of " + ties.OldModel() +
               " follows to it";
    case TieWhy::NameSharedInNew:
        return Plural(tie.Sharing, "joint", "joints") + " named " + oldName + " in " +
               ties.NewModel();
    case TieWhy::NameSharedInOld:
        return Plural(tie.Sharing, "joint", "joints") + " named " + oldName + " in " +
               ties.OldModel();
    }
    return {};
}

std::optional<std::string> RenameProblem(const KeyframeTables &tables, const NodeRename &rename)
{
    const auto names = [](const Table<HierarchyNode, kMaxHierarchyNodes> &table, int count,
                          const std::string &name) {
        for (int i = 1; i <= count; ++i)
            if (SameIgnoringCase(table(i).NodeName, name))
                return true;
        return false;
    };
    const auto [oldModel, newModel] = NamesApart(tables.OldHierarchyFile, tables.NewHierarchyFile);
    const std::string pair = "--rename " + ShownName(rename.OldName) + "=" +
                             ShownName(rename.NewName) + ": no joint named ";
    if (!names(tables.OldHierarchy, tables.OldHierarchyCount, rename.OldName))
        return pair + ShownName(rename.OldName) + " in " + ShownName(oldModel);
    if (!names(tables.NewHierarchy, tables.NewHierarchyCount, rename.NewName))
        return pair + ShownName(rename.NewName) + " in " + ShownName(newModel);
    return std::nullopt;
}

}  // namespace zerka
