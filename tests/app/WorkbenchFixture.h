// The nine windows made fresh for each test, dialogs answered by the test, messages
// recorded, and pictures made by the tests themselves.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Dorsk.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit5.h"
#include "app/Unit7.h"
#include "app/Unit8.h"
#include "app/Workbench.h"
#include "graphics/Bitmap.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/qt/Application.h"
#include "platform/ui/qt/StdControls.h"

namespace vardel::test {

// What the pixel commands say about a picture that is not a bitmap.
inline const std::string kNotABitmap = "Can only modify an image if it contains a bitmap.";

constexpr TColor Rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

// A 24-bit bitmap whose pixel (x, y) is color(x, y).
inline std::unique_ptr<TBitmap> MakeBitmap(int width, int height,
                                           const std::function<TColor(int, int)>& color) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelLayout(TPixelLayout::Format24Bit);
    bitmap->SetSize(width, height);
    TCanvas& surface = bitmap->Surface();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) surface.WritePixel(x, y, color(x, y));
    return bitmap;
}

inline void PutPicture(TImage& view, int width, int height,
                       const std::function<TColor(int, int)>& color) {
    view.Picture().AssignGraphic(MakeBitmap(width, height, color).get());
}

// The held bitmap of a view (none when it holds something else or nothing).
inline TBitmap* HeldBitmap(TImage& view) {
    return dynamic_cast<TBitmap*>(view.Picture().Graphic());
}

inline TColor PixelOf(TImage& view, int x, int y) {
    TBitmap* bitmap = HeldBitmap(view);
    return bitmap ? bitmap->Surface().ReadPixel(x, y) : -1;
}

// Every pixel of a view's bitmap, rows top first.
inline std::vector<TColor> PixelsOf(TImage& view) {
    std::vector<TColor> pixels;
    TBitmap* bitmap = HeldBitmap(view);
    if (!bitmap) return pixels;
    for (int y = 0; y < bitmap->Height(); ++y)
        for (int x = 0; x < bitmap->Width(); ++x)
            pixels.push_back(bitmap->Surface().ReadPixel(x, y));
    return pixels;
}

// Width and height of a control, bitmap or picture, or of a form's client area.
using Size = std::pair<int, int>;
template <class T>
Size SizeOf(T& item) {
    return {item.Width(), item.Height()};
}
template <class T>
Size ClientSizeOf(T& control) {
    return {control.ClientWidth(), control.ClientHeight()};
}

// The first n bytes of a file (fewer when it is shorter).
inline std::string FirstBytes(const std::filesystem::path& path, size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

inline void SendMouseMove(TForm& form, int x, int y, Qt::MouseButtons buttons = Qt::NoButton) {
    QWidget* client = form.ClientWidget();
    QMouseEvent event(QEvent::MouseMove, QPointF(x, y), QPointF(client->mapToGlobal(QPoint(x, y))),
                      Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(client, &event);
}

class WorkbenchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeWorkbenchWindows(Application());
        TDialogProviders providers = DialogProviders();
        providers.messageBox = [this](const std::string& text, const std::string&, TMessageIcon) {
            messages.push_back(text);
            return 1;
        };
        providers.fileDialog = [this](const TFileDialogRequest& request, std::string& name) {
            fileRequests.push_back(request);
            if (fileAnswers.empty() || !fileAnswers.front()) {
                if (!fileAnswers.empty()) fileAnswers.pop_front();
                return false;
            }
            name = *fileAnswers.front();
            fileAnswers.pop_front();
            return true;
        };
        answers_ = std::make_unique<TScopedDialogProviders>(providers);
        dir = std::filesystem::temp_directory_path() /
              ("vardel-app-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }

    void TearDown() override {
        Application().OnModalShown = nullptr;
        answers_.reset();
        Application().FreeWindows();
        std::filesystem::remove_all(dir);
    }

    // Answers every modal window: its edit fields (in tab order) get these texts
    // where given, then it is closed as by its title-bar button.
    void AnswerModal(std::vector<std::optional<std::string>> texts = {}) {
        Application().OnModalShown = [this, texts](TForm& form) {
            modalShown.push_back(&form);
            size_t field = 0;
            for (TWinControl* control : form.TabOrderControls()) {
                auto* edit = dynamic_cast<TEdit*>(control);
                if (!edit) continue;
                if (field < texts.size() && texts[field]) edit->SetText(*texts[field]);
                ++field;
            }
            form.Dismiss();
        };
    }

    std::string SaveBitmap(const std::string& name, int width, int height,
                           const std::function<TColor(int, int)>& color) {
        const std::string path = (dir / name).string();
        MakeBitmap(width, height, color)->SaveFile(path);
        return path;
    }

    // A picture that is not a bitmap: an icon file (its directory alone).
    std::string SaveIcon(const std::string& name) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary).write("\0\0\1\0\0\0", 6);
        return path;
    }

    std::vector<std::string> messages;
    std::deque<std::optional<std::string>> fileAnswers;
    std::vector<TFileDialogRequest> fileRequests;
    std::vector<TForm*> modalShown;
    std::filesystem::path dir;

  private:
    std::unique_ptr<TScopedDialogProviders> answers_;
};

}  // namespace vardel::test
