#pragma once

#include <QWidget>

#include <cstdint>
#include <string>

struct QG2SGraphic;

// A graphics window of the browser for the plug-ins: a top-level window with the graphics
// window library's view of one picture (CGM or bilevel TIFF), shown whole (magnification 1
// fits the picture to the window, also after a resize). The window's handle (its address) is
// the graph word of the browser calls. Closing it (by the user or the program) emits Closing
// once; the owner then deletes it.
class CGraphWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CGraphWindow(const QString& title, QWidget* parent = nullptr);
    ~CGraphWindow() override;

    uintptr_t Handle() const { return reinterpret_cast<uintptr_t>(this); }
    // Loads a picture file; false when there is no view or the file cannot be loaded (the
    // window then shows what it showed before, or nothing).
    bool Load(const std::string& path);
    // The path of the picture shown ("" none).
    const std::string& PicturePath() const { return m_path; }
    // Repaints the picture.
    void Refresh();
    // The library's view inside the window, or nullptr when the library could not make one.
    QWidget* PictureView() const { return m_view; }
    bool Closed() const { return m_closed; }
    // Closes the window now, shown or not: hides it and emits Closing (once).
    void CloseNow();

signals:
    void Closing(CGraphWindow* window);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QG2SGraphic* m_graphic = nullptr;
    QWidget* m_view = nullptr;
    std::string m_path;
    bool m_closed = false;
};
