#pragma once

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Typed handles to the controls that the window's code works on, named as
// in the design tables. Control arrays are indexed from 1; element 0 is
// always null.
struct FormControls
{
    QGroupBox *frmHelp = nullptr;
    QGroupBox *frmSet = nullptr;
    std::array<QGroupBox *, 5> frmTemp{};

    QPushButton *cmdHelp = nullptr;
    QPushButton *cmdSet = nullptr;
    QPushButton *cmdExit = nullptr;
    QPushButton *cmdPorts = nullptr;
    QPushButton *cmdLog = nullptr;
    QPushButton *cmdCloseHelp = nullptr;
    QPushButton *cmd0P = nullptr;
    QPushButton *cmd50P = nullptr;
    QPushButton *cmd100P = nullptr;
    QPushButton *cmdSV01 = nullptr;
    std::array<QPushButton *, 8> cmdFpwm{}; // cmdFpwm1 .. cmdFpwm7

    QLabel *lblStatus = nullptr;
    QLabel *lblDevCode = nullptr;
    std::array<QLabel *, 5> lblTemp{};
    std::array<QLabel *, 5> lblTempName{};

    QLineEdit *txtSV01 = nullptr;
    std::array<QLineEdit *, 6> txtSet1{};
    std::array<QLineEdit *, 5> txtTempName{};

    // Looks every control up by its object name below `window`.
    static FormControls find(QWidget *window);
};
