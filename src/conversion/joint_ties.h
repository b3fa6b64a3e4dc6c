// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "keyframes/keyframe_tables.h"

// What a node's NODE number ties it to in the two models. Engines look a node up by that
// number, the joint number that begins the joint's record line ("4:"), so a key file may
// animate some joints only, in any order; a rebuild that inserts or removes a joint
// renumbers the joints after it, which --renumber follows by name.
namespace zerka {

// A joint renamed on purpose: in matching, a new-model record named NewName counts as
// named OldName (both ignoring case).
struct NodeRename {
    std::string OldName;
    std::string NewName;
};

// How nodes are tied to joints: the user's choices, the same for every file of a batch.
struct MatchOptions {
    std::vector<NodeRename> Renames;
    // Follow each node's joint by name into the new model and give the node its new
    // number; a node that cannot be followed is dropped.
    bool Renumber = false;
};

enum class TieFate {
    Moved,  // shifted by its joint's move (which may be none)
    Left,  // written as read
    Dropped,  // --renumber only: not written at all
};

// Why a node is left or dropped.
enum class TieWhy {
    None,
    Renamed,  // both models have the number, under other names
    NumberedDifferently,  // the old joint's name sits at another number in the new model
    NotInOld,
    NotInNew,
    NotInEither,
    SharedInOld,  // two or more records of the old model have the number
    SharedInNew,
    NameNotInNew,  // --renumber: no record of the new model has the old joint's name
    NameUnnumberedInNew,  // --renumber: records have the name, but none has a joint number
    NameSharedInNew,  // --renumber: two or more numbered records have it
    NameSharedInOld,  // --renumber: the old joint's name is that of other records too
    NewJoint,  // a report row only: with --renumber, a new joint no old joint follows to
};

struct RecordMove {
    double X = 0, Y = 0, Z = 0;
};

// What a NODE number ties a node to, in both models.
struct JointTie {
    std::int16_t Number = 0;  // the joint number a NODE line gives
    bool Numbered = true;  // false for a row of a record without a joint number
    TieFate Fate = TieFate::Left;
    TieWhy Why = TieWhy::NotInEither;
    std::string OldName;  // the old model's joint of that number, when there is one
    std::string NewName;  // the new model's joint it is tied to, or that has the number
    // Moved: its number in the new model; also NumberedDifferently's, and with --renumber
    // SharedInNew's.
    std::int16_t NewNumber = 0;
    int Sharing = 0;  // …Shared…: how many records share the number or name
    bool ByRename = false;  // the names agree only through a rename
    bool RenameHint = false;  // Renamed: the old model has no joint of the new name
    RecordMove Move;  // Moved: new position minus old
    RecordMove OldAt, NewAt;  // Moved: the joint's position in each model
    // Moved, when a position does not parse: every file that reaches the joint fails.
    std::optional<FileError> Problem;

    bool NoMove() const { return Move.X == 0 && Move.Y == 0 && Move.Z == 0; }
    bool Followed() const { return Fate == TieFate::Moved && NewNumber != Number; }
};

// A record's joint number: its first token without a trailing colon, when that is an
// integer (optional sign, then digits: "4:", "04:" and "4" are all 4). A record whose
// first token is anything else, or a number outside the 16 bits of a NODE line, has none.
std::optional<std::int16_t> JointNumberOf(std::string_view firstToken);

// The ties of both loaded models under one set of options. Made once per batch from the
// tables, of which it keeps its own copy of what it needs: the workers of a batch share
// one and only read it.
class JointTies {
public:
    JointTies(const KeyframeTables &tables, MatchOptions options);

    // What a node with this NODE number is tied to.
    JointTie Tie(std::int16_t number) const;

    // What the report shows: one row per joint number of either model, ascending (with
    // --renumber, per joint number of the old model, then one per joint of the new model
    // that none of them follows to), then one per record without a number, old model first.
    std::vector<JointTie> Rows() const;

    bool Renumber() const { return options_.Renumber; }
    const std::string &OldModel() const { return oldModel_; }  // file names as shown
    const std::string &NewModel() const { return newModel_; }
    int OldCount() const { return static_cast<int>(old_.size()); }
    int NewCount() const { return static_cast<int>(new_.size()); }
    // The new model's joints whose names the old model does not have, as shown, in the new
    // model's order: where a joint that cannot be followed may have gone.
    std::vector<std::string> NewNames() const;
    // Every joint of either model is tied to the same one of the other, in the same place:
    // no node of any file can move.
    bool NothingMoves() const;

private:
    // Records by joint number: the first one with it, and how many have it.
    struct Numbered {
        int First = 0;  // index into the side's records
        int Count = 0;
    };
    // Records of the new model by the name matching gives them.
    struct Named {
        int First = -1;  // the first numbered one, or -1
        int Numbered = 0;
        int Unnumbered = 0;
    };

    const std::string &MatchingName(const std::string &newName) const;
    Numbered FindNumber(const std::unordered_map<std::int16_t, Numbered> &index,
                        std::int16_t number) const;
    Named FindName(std::string_view oldName) const;
    bool OldHasName(std::string_view name) const;
    // Moved, between two records, with the move or the error it gives.
    void TieRecords(JointTie &tie, const HierarchyNode &oldRecord,
                    const HierarchyNode &newRecord) const;
    void TieByNumber(JointTie &tie) const;
    void TieByName(JointTie &tie) const;
    JointTie TieAnew(std::int16_t number) const;

    MatchOptions options_;
    std::vector<HierarchyNode> old_;
    std::vector<HierarchyNode> new_;
    std::string oldFile_, newFile_;  // as the tables name them, for errors
    std::string oldModel_, newModel_;
    std::unordered_map<std::int16_t, Numbered> oldByNumber_;
    std::unordered_map<std::int16_t, Numbered> newByNumber_;
    std::unordered_map<std::string, Named> newByName_;  // upper-cased
    std::unordered_map<std::string, int> oldNames_;  // upper-cased, with how many have each
    // Every joint number of either model, tied once: files ask for the same numbers again
    // and again, and a tie parses both positions.
    std::unordered_map<std::int16_t, JointTie> made_;
};

// Why a tie leaves or drops its node, in words ("renamed to sensor in new.3do; perhaps
// --rename head=sensor"); empty for a moved one.
std::string TieNote(const JointTie &tie, const JointTies &ties);

// What is wrong with a --rename pair: "--rename head=sensor: no joint named sensor in
// new.3do"; nothing when both names are joints of their models.
std::optional<std::string> RenameProblem(const KeyframeTables &tables, const NodeRename &rename);

}  // namespace zerka
