#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The desktop's modal file dialogs: the program waits for the user's choice.
class FileDialogs {
 public:
  // Which files a dialog lists beside the folders.
  struct Filter {
    // Shown to the user, e.g. "Presentations".
    QString description;
    // Name patterns such as "*.ppt", matched without regard to case ("*.ppt" lists "TALK.PPT");
    // none lists every file.
    QStringList patterns;
    // Only what the desktop can start: files with the execute bit and desktop entries
    // (".desktop"). Patterns are not consulted then.
    bool programsOnly = false;
  };

  struct OpenFileRequest {
    QString title;
    // The folder the dialog opens in; one that is missing leaves the choice to the dialog.
    QString startFolder;
    // The one filter of a dialog that offers a single choice; ignored when `filters` has entries.
    Filter filter;
    // The filters the user chooses from, in this order; `selectedFilter` is the one in force when
    // the dialog opens (the first when out of range).
    std::vector<Filter> filters;
    int selectedFilter = 0;
    // The dialog offers no way to open a file read-only.
    bool hideReadOnly = false;
    // A file of startFolder (a name or a full path) that is selected when the dialog opens.
    QString selectedFile;
  };

  // A dialog that names a file to write to. The user may name a file that is there or not.
  struct SaveFileRequest {
    QString title;
    // As for OpenFileRequest.
    QString startFolder;
    std::vector<Filter> filters;
    int selectedFilter = 0;
    bool hideReadOnly = false;
    // Choosing a file that is there asks whether to replace it only when this is set: a dialog
    // that picks a file to go with, rather than one to overwrite, must not ask.
    bool confirmOverwrite = false;
  };

  virtual ~FileDialogs() = default;

  // The full path of the file the user chose, or "" when the dialog was cancelled.
  [[nodiscard]] virtual QString getOpenFileName(const OpenFileRequest& request) = 0;
  [[nodiscard]] virtual QString getSaveFileName(const SaveFileRequest& request) = 0;
};
