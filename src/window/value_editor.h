// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

// The value editor's rules, whatever toolkit draws it: it changes the text of the keyframe
// table's current cell, and only the table; the loaded key file and anything written from
// it do not change.
namespace zerka {

class frmEditLogic {
public:
    // The current cell's text when the editor was last asked for.
    std::string EditValue;

    // The editor is asked for: the text both boxes show, or nothing when it is open already,
    // where it only comes forward and keeps the values it was opened with.
    std::optional<std::string> Show();

    // Where Save leaves the table: the cell it wrote and the current cell after it, one row
    // down but never past the last row.
    struct Saved {
        int Row;
        int Col;
        int NextRow;
    };
    Saved Save(int row, int col, int rowCount);

    // Save and Cancel close it; Esc is bound to nothing.
    void Close() { open_ = false; }
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

}  // namespace zerka
