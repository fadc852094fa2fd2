#pragma once

#include <QMainWindow>

#include <functional>

namespace undarix::app {

// The main panel: the unit and port controls, the device table, and the tab control with the
// chart, analysis, configuration and sea-state pages, each page loaded from its own Designer
// file.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);

    // The page widgets, in tab order: chart, analysis, configuration, sea state.
    [[nodiscard]] QWidget* PlotPage() const { return plotPage_; }
    [[nodiscard]] QWidget* AnalysisPage() const { return analysisPage_; }
    [[nodiscard]] QWidget* ConfigPage() const { return configPage_; }
    [[nodiscard]] QWidget* SeaStatePage() const { return seaStatePage_; }

    // With scaling on, the panel's text and controls grow and shrink with the window, from the
    // size the window had when scaling was switched on.
    void SetScaleContents(bool scale);
    [[nodiscard]] bool ScalesContents() const { return scaleContents_; }

    // Asked on the close event: false keeps the window open.
    std::function<bool()> mayClose;
    // Called on the close event before the window closes.
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* plotPage_ = nullptr;
    QWidget* analysisPage_ = nullptr;
    QWidget* configPage_ = nullptr;
    QWidget* seaStatePage_ = nullptr;
    bool scaleContents_ = false;
    QSize scaleBaseSize_;
    qreal baseFontSize_ = 0;
};

} // namespace undarix::app
