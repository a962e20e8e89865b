#include "main_window/common_dialog.h"

namespace framora {

void CommonDialog::Show(FileDialogKind kind) {
  FileDialogRequest request{kind, FileName, Filter, DefaultExt, DialogTitle, MultiSelect};
  FileNames.clear();
  if (auto chosen = port_.Run(request)) {
    FileName = chosen->fileName;
    FilterIndex = chosen->filterIndex;
    FileNames = chosen->fileNames.empty() ? std::vector<std::string>{chosen->fileName}
                                          : std::move(chosen->fileNames);
  }
}

}  // namespace framora
