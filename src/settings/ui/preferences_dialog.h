#pragma once

#include <QDialog>
#include <QList>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStandardItemModel;
class QTabWidget;
class QWidget;

namespace tw {

class ListFileAssociation;
class LogListView;
struct Settings;
class UserPrompts;

// The next of pictures 201 to 211 for the preferences dialog: the same series after every start
// of the program, as from a random sequence that is never seeded.
int nextPreferencePicture();

// The preferences dialog: edits copies of the preferences in its controls; "OK" and "適用" store
// them in the settings, set or remove the list-file association and re-apply the main list's look.
class PreferencesDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreferencesDialog)

public:
    // applyAppearance re-applies the toolbar, status bar, grid lines, full-row selection and
    // list font from the settings to the main window.
    PreferencesDialog(Settings& settings, UserPrompts& prompts, ListFileAssociation& association,
                      std::function<void()> applyAppearance, QWidget* parent = nullptr);

    // cmdWndButton by index: 0 "OK", 1 "キャンセル", 2 "適用".
    void buttonClicked(int index);
    // Copies the controls into the settings, in the fixed order, then association and look.
    void apply();

    void changeFont();
    void chooseDefaultFolder();
    void chooseBrowser();

    int pictureNumber() const { return m_pictureNumber; }

private:
    QWidget* buildListPage();
    QWidget* buildToolPage();
    QWidget* buildGeneralPage();
    void fillPreview();
    void loadFromSettings();
    void setBrowserOption(int index);

    Settings& m_settings;
    UserPrompts& m_prompts;
    ListFileAssociation& m_association;
    std::function<void()> m_applyAppearance;

    QTabWidget* m_tabs = nullptr;
    LogListView* m_preview = nullptr;
    QStandardItemModel* m_previewModel = nullptr;
    QCheckBox* m_grid = nullptr;
    QCheckBox* m_fullRow = nullptr;
    QLabel* m_fontStyle = nullptr;
    QLabel* m_picture = nullptr;
    QSpinBox* m_listMax = nullptr;
    std::array<QLineEdit*, 3> m_platforms{};
    QLineEdit* m_defaultPath = nullptr;
    std::array<QPushButton*, 2> m_browse{};
    std::array<QRadioButton*, 2> m_openBrowser{};
    QWidget* m_browserFrame = nullptr;
    QLineEdit* m_browserPath = nullptr;
    QCheckBox* m_associate = nullptr;
    std::array<QPushButton*, 3> m_buttons{};
    int m_pictureNumber = 0;
};

} // namespace tw
