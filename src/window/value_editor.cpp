// SPDX-License-Identifier: MIT
#include "value_editor.h"

#include <algorithm>

namespace zerka {

std::optional<std::string> frmEditLogic::Show()
{
    if (open_)
        return std::nullopt;
    open_ = true;
    return EditValue;
}

frmEditLogic::Saved frmEditLogic::Save(int row, int col, int rowCount)
{
    open_ = false;
    return {row, col, std::max(0, std::min(row + 1, rowCount - 1))};
}

}  // namespace zerka
