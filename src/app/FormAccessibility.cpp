#include "app/FormAccessibility.h"

#include "app/MiniForm.h"

#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

void NameUnlabelledControls(TMiniForm& form) {
    form.XStringGrid->setAccessibleName(u"新着情報"_s);
    form.Memo->setAccessibleName(u"フィードの内容"_s);
}
