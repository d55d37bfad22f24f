#pragma once
#include <QFrame>

class QLabel;

// The small "loading" window shown while the login dialog reads the users.
class TfrmSplash : public QFrame
{
    Q_OBJECT
  public:
    explicit TfrmSplash(QWidget *Parent = nullptr);
    void FormCreate();
    // Shows the window and returns once its text is on the screen: the
    // store is opened right after, with no event loop running meanwhile.
    void ShowPainted();

  private:
    QLabel *lblInformation;
};
