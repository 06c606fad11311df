// The open and save dialogs as components of a window: their filter, default
// extension and the name chosen last. Showing them goes through the dialog provider
// (Dialogs.h), so that the toolkit's real dialog or a test answers.
#pragma once

#include <string>

#include "platform/runtime/Object.h"

namespace vardel {

class TFileDialog : public TObject {
  public:
    TFileDialog(std::string name, bool save) : name_(std::move(name)), save_(save) {}
    std::string_view ClassName() const override { return save_ ? "TSaveDialog" : "TOpenDialog"; }

    const std::string& Name() const { return name_; }
    // "Description|*.ext|Description|*.ext"; empty for no filter.
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string filter) { filter_ = std::move(filter); }
    // 1-based entry of the filter selected when the dialog opens.
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int index) { filterIndex_ = index; }
    // Without the dot; the dialog adds it to names typed without an extension.
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(std::string ext) { defaultExt_ = std::move(ext); }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }
    // The name chosen last (or the name offered when the dialog opens).
    const std::string& FileName() const { return fileName_; }
    void SetFileName(std::string name) { fileName_ = std::move(name); }

    // Shows the dialog modally; true when the user confirmed a file, whose path is
    // then in FileName. A cancel keeps FileName as it was.
    bool PickFile();

  private:
    std::string name_;
    bool save_;
    std::string filter_;
    int filterIndex_ = 1;
    std::string defaultExt_;
    std::string title_;
    std::string fileName_;
};

class TOpenDialog : public TFileDialog {
  public:
    explicit TOpenDialog(std::string name) : TFileDialog(std::move(name), false) {}
};

class TSaveDialog : public TFileDialog {
  public:
    explicit TSaveDialog(std::string name) : TFileDialog(std::move(name), true) {}
};

}  // namespace vardel
