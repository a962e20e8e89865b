#include "main_window/common_dialog.h"

namespace framora {

void CommonDialog::Show(FileDialogKind kind) {
  FileDialogRequest request{kind, FileName, Filter, DefaultExt, DialogTitle};
  if (auto chosen = port_.Run(request)) {
    FileName = chosen->fileName;
    FilterIndex = chosen->filterIndex;
  }
}

}  // namespace framora
