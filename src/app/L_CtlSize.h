#pragma once

// L_CtlSize: control placement (TControlSize).
//
// TControlSize keeps a control's placement in the settings file. Placed on a window, it restores
// the placement when the window has been created (or each time it is shown, with SizeOnShow) and
// stores it when the window closes and when the window is destroyed.
//
// The window tells the component when its own creation code has finished (OwnerCreated); a window
// that never does gets the creation step just before it is first shown. Closing is followed
// through an event filter on the window, which lets the window's own close handler decide first
// and stores the placement only when the close goes ahead.

#include "text/Result.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

enum TControlSizeStyle {
    cssAll,     // position, size and visibility
    cssSize,    // position and size
    cssVisible, // visibility only
};

// Whether a settings operation reads the file or writes it.
enum TIniMode { imRead, imWrite };

using TNotifyEvent = std::function<void(QObject* sender)>;

class TIniFile;
// Adds an owner's sections to a settings file that is about to be saved.
using TIniWriter = std::function<void(TIniFile& ini)>;

// A named value that the component stores beside the placement; unnamed slots are not stored.
struct TBoolSlot {
    std::string Name;
    bool Value = false;
};
struct TIntSlot {
    std::string Name;
    int Value = 0;
};

class TControlSize : public QObject {
    Q_OBJECT
public:
    static constexpr int SlotCount = 6;

    // The component follows the window of `owner`.
    explicit TControlSize(QWidget* owner);
    // Stores the placement one last time.
    ~TControlSize() override;

    QWidget* Control() const { return control_; }
    void SetControl(QWidget* control) { control_ = control; }
    bool SizeOnShow() const { return sizeOnShow_; }
    void SetSizeOnShow(bool sizeOnShow) { sizeOnShow_ = sizeOnShow; }
    bool ScreenSenter() const { return screenSenter_; }
    void SetScreenSenter(bool screenSenter) { screenSenter_ = screenSenter; }
    TControlSizeStyle Style() const { return style_; }
    void SetStyle(TControlSizeStyle style) { style_ = style; }
    // The settings file; the program's own (IniFileName) unless set.
    std::string IniFile() const;
    void SetIniFile(const std::string& path) { iniFile_ = path; }
    bool Manual() const { return manual_; }
    void SetManual(bool manual) { manual_ = manual; }

    // The handlers must not throw: they run inside the window's creation and destruction.
    TNotifyEvent OnCreate;  // just before the automatic load
    TNotifyEvent OnStart;   // just after the automatic load
    TNotifyEvent OnDestroy; // just before the save at destruction

    std::array<TBoolSlot, SlotCount> EnvBool;
    std::array<TIntSlot, SlotCount> EnvInt;

    // Reading restores the placement and the slots, at once or, when the file cannot be read at
    // first, after the retries of OpenIniRetry; what the file does not hold, or cannot be read,
    // keeps its current value, so reading never fails. OnStart follows the reading. Writing stores
    // them and returns the failure of the write, which leaves the file as it was.
    TResult LoadSave(TIniMode mode);

    // Writes the placement and the slots into `ini`, a copy of the settings file that its owner
    // saves with sections of its own. The placement then counts as stored, so the close and the
    // destruction do not write the file again unless it has changed since; a failed save is the
    // owner's to report. Does nothing before the first load.
    void WritePlacement(TIniFile& ini);

    // Called by the owner window at the end of its creation code.
    void OwnerCreated();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Start();
    void Load(const std::function<void()>& loaded);
    TResult Save();
    void StorePlacement();
    void WriteOwnSection(TIniFile& ini) const;
    std::string PlacementText() const;
    void HandleClose(QEvent* event);
    static void Notify(const TNotifyEvent& handler, QObject* sender);

    QPointer<QWidget> window_;
    QPointer<QWidget> control_;
    bool sizeOnShow_ = false;
    bool screenSenter_ = false;
    TControlSizeStyle style_ = cssAll;
    std::string iniFile_;
    bool manual_ = false;
    bool created_ = false;
    std::string section_; // "Sz_" + the control's name, filled by the first load
    std::string stored_;  // PlacementText() as it was last written
};
