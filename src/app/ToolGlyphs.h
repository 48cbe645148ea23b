#pragma once

// The 11 × 11 pictures of the item toolbar's buttons. They are drawn, not loaded, so they are as
// sharp at 200% as at 100%.

#include <QIcon>

enum class TToolGlyph { InsertRow, DeleteRow, PasteRow, MoveDown, MoveUp, Publish };

inline constexpr int ToolGlyphSize = 11;

// The glyph as an icon with pictures for device pixel ratios 1, 2 and 3.
QIcon ToolGlyph(TToolGlyph glyph);
