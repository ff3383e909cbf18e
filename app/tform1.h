#pragma once

#include <QWidget>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class LogPane;
class TClientSocket;
class TRadioGroup;
class TStatusBar;
enum class TurnoutRoute;

// The operator window. Its members are its controls and its connection, nothing else: the
// locomotive state and the pause timer live at module level for the whole run.
class TForm1 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    QLabel* Label1;
    QLineEdit* PortEdit;
    QLabel* Label3;
    QLineEdit* Hostedit;
    QPushButton* VerbindenButton;
    QPushButton* TrennenButton;
    QPushButton* Button4;
    QPushButton* Button3;
    QGroupBox* GroupBox1;
    QLabel* Label2;
    QLineEdit* SendenEdit;
    QPushButton* gerade_Button;
    QPushButton* abbiegen_Button;
    TRadioGroup* RadioGroup4;
    QGroupBox* GroupBox2;
    QLineEdit* Rueck_edit;
    QPushButton* Button1;
    QGroupBox* GroupBox3;
    QLabel* Label4;
    QLineEdit* Loknr_edit;
    QLabel* Label5;
    QPushButton* Button5;
    QPushButton* Button2;
    QScrollBar* ScrollBar1;
    TRadioGroup* RadioGroup1;
    TRadioGroup* RadioGroup2;
    TRadioGroup* RadioGroup3;
    LogPane* Memo1;
    TStatusBar* StatusBar1;
    TClientSocket* ClientSocket1;

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
