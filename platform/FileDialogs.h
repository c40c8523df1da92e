#pragma once

#include <QString>
#include <QStringList>

// The desktop's modal file dialogs: the program waits for the user's choice.
class FileDialogs {
 public:
  // Which files an open dialog lists beside the folders.
  struct Filter {
    // Shown to the user, e.g. "Presentations".
    QString description;
    // Name patterns such as "*.ppt"; none lists every file.
    QStringList patterns;
    // Only what the desktop can start: files with the execute bit and desktop entries
    // (".desktop"). Patterns are not consulted then.
    bool programsOnly = false;
  };

  struct OpenFileRequest {
    QString title;
    // The folder the dialog opens in; one that is missing leaves the choice to the dialog.
    QString startFolder;
    Filter filter;
    // The dialog offers no way to open a file read-only.
    bool hideReadOnly = false;
    // A file of startFolder (a name or a full path) that is selected when the dialog opens.
    QString selectedFile;
  };

  virtual ~FileDialogs() = default;

  // The full path of the file the user chose, or "" when the dialog was cancelled.
  [[nodiscard]] virtual QString getOpenFileName(const OpenFileRequest& request) = 0;
};
