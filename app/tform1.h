// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class LogPane;
class NanoPause;
class TClientSocket;
class TRadioGroup;
class TStatusBar;
enum class TurnoutRoute;

// The one pause timer, created with the first window and kept until the program ends.
extern std::unique_ptr<NanoPause> PauseTimer;

// The operator window. Its members are its controls and its connection, nothing else: the
// locomotive state and the pause timer live at module level for the whole run.
class TForm1 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    QLabel* Label1 = nullptr;
    QLineEdit* PortEdit = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Hostedit = nullptr;
    QPushButton* VerbindenButton = nullptr;
    QPushButton* TrennenButton = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button3 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* SendenEdit = nullptr;
    QPushButton* gerade_Button = nullptr;
    QPushButton* abbiegen_Button = nullptr;
    TRadioGroup* RadioGroup4 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLineEdit* Rueck_edit = nullptr;
    QPushButton* Button1 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Loknr_edit = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button2 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    TRadioGroup* RadioGroup1 = nullptr;
    TRadioGroup* RadioGroup2 = nullptr;
    TRadioGroup* RadioGroup3 = nullptr;
    LogPane* Memo1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TClientSocket* ClientSocket1 = nullptr;

    void FormCreate();

    // Connection
    void VerbindenButtonClick();
    void TrennenButtonClick();
    void ClientSocket1Connect();
    void ClientSocket1Read();

    // Turnout
    void gerade_ButtonClick();
    void abbiegen_ButtonClick();

    // Locomotive
    void SendLocoCommand();
    void ScrollBar1Change();
    void Button2Click();
    void Button5Click();
    void RadioGroup1Click();

    // Track power and feedback
    void Button4Click();
    void Button3Click();
    void Button1Click();

    void appendToLog(const QString& text);
    void setStatusLine(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void applyLayout();
    void applyTabOrder();
    void connectEvents();
    void pulseTurnout(TurnoutRoute route);
    void showConnectionFailure(const QString& message);
};
