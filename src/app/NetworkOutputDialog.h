#pragma once

// Options > Network Output...: the broker, its TLS files and credentials, the topic root and
// the queue, and whether the data are published at all.

#include "files/NetworkOutput.h"

#include <QDialog>

class QLineEdit;

#include <memory>

namespace Ui {
class NetworkOutputDialog;
}

namespace undarix::app {

class NetworkOutputDialog : public QDialog {
    Q_OBJECT
public:
    explicit NetworkOutputDialog(QWidget* parent = nullptr);
    ~NetworkOutputDialog() override;

    void SetSettings(const files::NetworkOutputSettings& settings);
    [[nodiscard]] files::NetworkOutputSettings Settings() const;

private:
    void ShowTlsFields();
    void BrowseFile(QLineEdit* field, const QString& title);
    void BrowseFolder();

    std::unique_ptr<Ui::NetworkOutputDialog> form_;
};

} // namespace undarix::app
