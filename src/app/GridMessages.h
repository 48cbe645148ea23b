#pragma once

// The messages and questions of the item grid's commands.

#include <QString>

inline const QString MsgInsertRefused = QStringLiteral("これ以上の挿入は行えません。");
inline const QString MsgDeleteRowQuestion = QStringLiteral("現在の行を削除してもよろしいですか？");
