#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace tw {

class SearchController;
struct Settings;

// The modeless search dialog with the history of the last ten texts. One instance
// serves the whole run; closing it (Cancel, Esc, close box) hides it and writes the check box
// and the history into Settings, and showing it again starts from Settings.
class SearchDialog final : public QDialog {
    Q_OBJECT

public:
    SearchDialog(Settings& settings, SearchController& search, QWidget* parent = nullptr);

    // The owner's search dialog, created on first use, shown modeless and brought to the front.
    static SearchDialog* showInstance(QWidget* owner, Settings& settings, SearchController& search);

    // Shows the dialog; after it was closed it reads the check box and history from Settings.
    void showDialog();

    // The history as the combo box holds it, most recent first.
    QStringList history() const;

    // Every way of closing ends here: Cancel, Esc, the close box and close().
    void done(int result) override;

private:
    void loadSettings();
    void storeSettings();
    void searchClicked(int buttonIndex);

    Settings& m_settings;
    SearchController& m_search;
    QComboBox* m_history;
    QCheckBox* m_matchCase;
    bool m_loaded = false;
};

} // namespace tw
