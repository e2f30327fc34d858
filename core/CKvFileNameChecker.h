#pragma once
// Checks a file or folder name typed by the user and creates folders. The
// result of the last operation is a state code whose message GetMessage
// gives:
//    6 "此文件夹已经存在！"          -1 invalid characters
//    5 "文件名无驱动器名！"          -2 "当前路径不存在！"
//    4 "文件名中含有无效驱动器名！"  -3 "此文件夹的父文件夹不存在！"
//    3 "非本机文件名！"              -4 "文件名语法出错！"
//    2 "文件名已存在！"              -5 "磁盘空间不够！"
//    1 "文件名正确！"               -20 "不是一个文件夹而是一个已存在的文件！"
//    0 "文件名为空！"               -21 "创建文件夹失败！"
// Check and KvCreateFolder set 0, 1, 2, -1 and -21; the other codes belong to
// callers that set m_nState themselves (drive names, 3 to 5, have no meaning
// on this system and never arise here).
//
// A path is absolute ("/..."), relative to the current folder, or starts
// with "./", ".." or "../"; "\" is taken as "/". Other names beginning with
// "." and names holding : ? * | < > or a double quote are refused (-1).

#include <QString>

class CKvFileNameChecker {
public:
  CKvFileNameChecker();
  // Runs Check on the path.
  explicit CKvFileNameChecker(const QString& path);
  virtual ~CKvFileNameChecker();

  // Takes the path apart: state 1 when it is a valid name (m_strExt and
  // m_strTitle then hold the last element's extension and title), 0 when it
  // is empty, -1 when it holds a forbidden character. Whether the file
  // exists is not looked at.
  void Check(const QString& path);
  // In state 1 only: an existing path that is not a folder gives state 2.
  void CheckIsFolder();
  // The message of the state into `out` (may be null); returns the state.
  int GetMessage(QString* out) const;

  // Creates the folder and every missing parent, outermost first; existing
  // folders are left alone. An existing plain file of that name gives state
  // 2 and nothing is created; a failed creation stops with state -21.
  // True when the state is 1 at the end.
  bool KvCreateFolder(const QString& path);

  QString m_strPath;   // the path under examination, as given
  QString m_strExt;    // extension of the last element, without the dot
  QString m_strTitle;  // last element without folder and extension
  int m_nState = 0;

private:
  // Splits m_strPath into the root ("/", "./", "..", "../" or empty for a
  // relative path) and the rest; false (with the state set) when the path is
  // empty or invalid.
  bool splitRoot(QString* root, QString* rest);
};
