#pragma once
// The kind box's items as one read-only list model. A classification file
// may hold a million lines: the kinds are kept in two flat buffers (the
// decoded texts and the file's bytes) instead of one item object per line.
#include <QAbstractListModel>
#include <QString>
#include <string>
#include <vector>

namespace mametan {

class KindListModel : public QAbstractListModel {
  Q_OBJECT
 public:
  explicit KindListModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

  // Replaces the items with `kinds` (code page 932 bytes), in their order.
  void SetKinds(const std::vector<std::string>& kinds);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  // Display and edit role: the decoded kind. Qt::UserRole: its original
  // bytes as a QByteArray.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  QString m_texts;                   // every decoded kind, each followed by "\n"
  std::vector<qsizetype> m_textEnd;  // where each kind's text ends in m_texts
  std::string m_bytes;               // every kind's bytes, one after the other
  std::vector<std::size_t> m_byteEnd;
};

}  // namespace mametan
