#pragma once
#include <QFrame>

class QLabel;

// The small "loading" window shown while the login dialog reads the users.
class TfrmSplash : public QFrame {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget *Parent = nullptr);
    void FormCreate();

private:
    QLabel *lblInformation;
};
