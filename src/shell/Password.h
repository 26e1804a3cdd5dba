#pragma once
// Access levels: the password dialog that raises the bits of AccessFlags (shell/Mainstate.h) one at
// a time, and what each new bit unlocks in the main window.
#include <QDialog>
#include <QPointer>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

class TForm_Password : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Password(QWidget* parent = nullptr);
    ~TForm_Password() override;

    // OK: checks the entry. A valid password raises its bit, says "Password  Corretta !" and closes
    // the dialog with the OK result; a wrong one says "Password  Errata !" and the dialog stays.
    // The entry is emptied either way.
    void BitBtn1Click();

    QLabel* Label1 = nullptr;
    QLineEdit* Password = nullptr;
    QPushButton* BitBtn1 = nullptr;  // OK, the default button
    QPushButton* BitBtn2 = nullptr;  // Cancel

protected:
    // FormKeyDown: a key that reaches the dialog itself empties the entry (Enter still presses OK,
    // Escape still cancels); a modifier key alone leaves it.
    void keyPressEvent(QKeyEvent* event) override;
};

// The open password dialog, null while none is open.
extern QPointer<TForm_Password> Form_Password;

// Adds the Reserved Setup branch to the main window's page tree when it is not there yet.
void PasswordAddReservedPages();
