#include "app/L_Sizeing.h"

#include "app/UserPlaces.h"
#include "text/CodePage.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>

std::string IniFileName = UserPlaces().IniFileName;

namespace {

constexpr int OpenAttempts = 3;
constexpr auto RetryDelay = std::chrono::milliseconds(200);

bool StoresBounds(TControlSizeStyle style) {
    return style == cssAll || style == cssSize;
}
bool StoresVisibility(TControlSizeStyle style) {
    return style == cssAll || style == cssVisible;
}

// A window whose size the user cannot change keeps the size its code gave it.
bool IsResizable(const QWidget* form) {
    return form->minimumSize() != form->maximumSize() &&
           !form->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint);
}

// Follows how far a window's client area lies inside its frame while the window is in the normal
// state. A maximized window's frame differs (a window manager drops its border), and the toolkit
// keeps its normal rectangle without the frame, so the normal frame position is found from the
// offset seen last in the normal state.
class TNormalFrameOffset : public QObject {
public:
    static constexpr const char* Name = "NormalFrameOffset";

    explicit TNormalFrameOffset(QWidget* form) : QObject(form), form_(form) {
        setObjectName(QString::fromLatin1(Name));
        form->installEventFilter(this);
        Record();
    }

    static const TNormalFrameOffset* Of(const QWidget* form) {
        return dynamic_cast<const TNormalFrameOffset*>(
            form->findChild<QObject*>(QString::fromLatin1(Name), Qt::FindDirectChildrenOnly));
    }
    // Starts following `form` once the event being handled is done: placement is read while the
    // window's show event passes its event filters, and a filter added then would see it again.
    static void Follow(QWidget* form) {
        QMetaObject::invokeMethod(
            form,
            [form] {
                if (!Of(form)) new TNormalFrameOffset(form);
            },
            Qt::QueuedConnection);
    }

    QPoint Offset() const { return offset_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == form_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
            Record();
        return false;
    }

private:
    void Record() {
        constexpr Qt::WindowStates notNormal =
            Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized;
        if (form_->windowState() & notNormal) return;
        offset_ = form_->geometry().topLeft() - form_->pos();
    }

    QWidget* form_;
    QPoint offset_;
};

// A place or size no window can have is cut to the largest one a window can have, so that no
// sum of two of them overflows, here or in QRect.
void ClampPlacement(int& left, int& top, int& width, int& height) {
    left = std::clamp(left, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    top = std::clamp(top, -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    width = std::clamp(width, 0, QWIDGETSIZE_MAX);
    height = std::clamp(height, 0, QWIDGETSIZE_MAX);
}

QRect ReadBounds(const TIniFile& ini, const std::string& section, const QRect& current) {
    int left = ini.ReadInteger(section, "szLeft", current.x());
    int top = ini.ReadInteger(section, "szTop", current.y());
    int width = ini.ReadInteger(section, "szWidth", current.width());
    int height = ini.ReadInteger(section, "szHeight", current.height());
    ClampPlacement(left, top, width, height);
    return {left, top, width, height};
}

void WriteBounds(TIniFile& ini, const std::string& section, const QRect& bounds) {
    ini.WriteInteger(section, "szLeft", bounds.x());
    ini.WriteInteger(section, "szTop", bounds.y());
    ini.WriteInteger(section, "szWidth", bounds.width());
    ini.WriteInteger(section, "szHeight", bounds.height());
}

// How much larger the window's frame is than its inside. Before the window is first shown the
// window manager has not framed it yet; a title bar of the style's height is assumed then.
QSize FrameExtra(const QWidget* form) {
    const QSize known = form->frameGeometry().size() - form->size();
    if (!known.isEmpty()) return known;
    return {0, form->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, form)};
}

// The screens' work areas together (the desktop less its panels).
QRect WorkAreas() {
    QRect areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas |= screen->availableGeometry();
    return areas;
}

void ReadFormPlacement(const TIniFile& ini, QWidget* form, const std::string& section,
                       TControlSizeStyle style) {
    if (!StoresBounds(style)) return;
    const QRect stored = ReadBounds(ini, section, WindowBounds(form));
    // The frame too must fit into the screens' work areas, at any scale.
    const QSize frame = FrameExtra(form);
    int left = stored.x(), top = stored.y();
    int width = stored.width() + frame.width(), height = stored.height() + frame.height();
    FitToDesktop(WorkAreas(), left, top, width, height);
    width -= frame.width();
    height -= frame.height();
    const bool maximized =
        ini.ReadInteger(section, "szWindowState", form->isMaximized() ? 1 : 0) != 0;
    TNormalFrameOffset::Follow(form);
    // The stored rectangle is the normal one, so it is given while the window is not maximized.
    form->setWindowState(Qt::WindowNoState);
    if (IsResizable(form)) form->resize(width, height);
    form->move(left, top);
    if (maximized) form->setWindowState(Qt::WindowMaximized);
}

void ReadControlPlacement(const TIniFile& ini, QWidget* control, const std::string& section,
                          TControlSizeStyle style) {
    QRect bounds = control->geometry();
    if (StoresBounds(style)) bounds = ReadBounds(ini, section, bounds);
    if (StoresVisibility(style))
        control->setVisible(ini.ReadBool(section, "szVisible", !control->isHidden()));
    if (!StoresBounds(style)) return;
    if (const QWidget* parent = control->parentWidget()) {
        const QRect client = parent->contentsRect();
        bounds.setWidth(std::min(bounds.width(), client.width()));
        bounds.setHeight(std::min(bounds.height(), client.height()));
    }
    control->setGeometry(bounds);
}

void WriteFormPlacement(TIniFile& ini, const QWidget* form, const std::string& section,
                        TControlSizeStyle style) {
    if (!StoresBounds(style)) return;
    ini.WriteInteger(section, "szWindowState", form->isMaximized() ? 1 : 0);
    WriteBounds(ini, section, NormalBounds(form));
}

void WriteControlPlacement(TIniFile& ini, const QWidget* control, const std::string& section,
                           TControlSizeStyle style) {
    const bool visible = !control->isHidden();
    if (StoresVisibility(style)) ini.WriteBool(section, "szVisible", visible);
    if (!StoresBounds(style)) return;
    WriteBounds(ini, section, control->geometry());
    ini.WriteBool(section, "szVisible", visible);
}

} // namespace

std::string PlacementSection(const QWidget* control) {
    const std::string name = control->objectName().toStdString();
    // Object names are identifiers; one the code page cannot hold keeps its UTF-8 bytes.
    return "Sz_" + Utf8ToCp932(name).value_or(name);
}

void IniPlacement(TIniFile& iniFile, QWidget* control, std::string& section,
                  TControlSizeStyle style, TIniMode mode) {
    if (!control) return;
    if (mode == imRead) {
        if (section.empty()) section = PlacementSection(control);
        if (control->isWindow())
            ReadFormPlacement(iniFile, control, section, style);
        else
            ReadControlPlacement(iniFile, control, section, style);
    } else if (!section.empty()) {
        iniFile.EraseSection(section);
        if (control->isWindow())
            WriteFormPlacement(iniFile, control, section, style);
        else
            WriteControlPlacement(iniFile, control, section, style);
    }
}

QRect WindowBounds(const QWidget* form) {
    return {form->pos(), form->size()};
}

QRect NormalBounds(const QWidget* form) {
    if (form->isMaximized()) {
        const QRect normal = form->normalGeometry();
        const TNormalFrameOffset* frame = TNormalFrameOffset::Of(form);
        if (normal.isValid()) return normal.translated(frame ? -frame->Offset() : QPoint());
    }
    return WindowBounds(form);
}

QRect VirtualDesktop() {
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop |= screen->geometry();
    return desktop;
}

void FitToDesktop(const QRect& desktop, int& left, int& top, int& width, int& height) {
    if (desktop.isEmpty()) return;
    ClampPlacement(left, top, width, height);
    width = std::min(width, desktop.width());
    height = std::min(height, desktop.height());
    left = std::max(left, desktop.x());
    top = std::max(top, desktop.y());
    const int right = desktop.x() + desktop.width();
    const int bottom = desktop.y() + desktop.height();
    if (left + width > right) left = right - width;
    if (top + height > bottom) top = bottom - height;
}

void FitToDesktop(int& left, int& top, int& width, int& height) {
    FitToDesktop(VirtualDesktop(), left, top, width, height);
}

QPoint CenteredOnWorkArea(const QRect& workArea, const QSize& size) {
    return {workArea.x() + (workArea.width() - size.width()) / 2,
            workArea.y() + (workArea.height() - size.height()) / 3};
}

QSize FittedToWorkArea(const QRect& workArea, const QSize& frame, const QSize& size) {
    return size.boundedTo(workArea.size() - frame).expandedTo(QSize(0, 0));
}

void CenterOnWorkArea(QWidget* form) {
    const QScreen* screen = form->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect workArea = screen->availableGeometry();
    form->resize(FittedToWorkArea(workArea, FrameExtra(form), form->size()));
    form->move(CenteredOnWorkArea(workArea, form->frameGeometry().size()));
}

namespace {

void TryOpenIni(const std::string& path, QObject* context,
                const std::function<void(TIniFile&)>& opened, int attempt) {
    TIniFile file(path);
    const bool loaded = file.Load().Ok();
    if (!loaded && attempt < OpenAttempts) {
        QTimer::singleShot(RetryDelay, context,
                           [=] { TryOpenIni(path, context, opened, attempt + 1); });
        return;
    }
    file.SetWriteThrough(!loaded);
    opened(file);
}

} // namespace

void OpenIniRetry(const std::string& path, QObject* context,
                  std::function<void(TIniFile&)> opened) {
    TryOpenIni(path, context, opened, 1);
}

TIniFile OpenIniNow(const std::string& path) {
    TIniFile file(path);
    if (!file.Load()) file.SetWriteThrough(true);
    return file;
}

TResult FlushIni(TIniFile& file) {
    return file.WriteThrough() ? file.WriteThroughError() : file.Save();
}
