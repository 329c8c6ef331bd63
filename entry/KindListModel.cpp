#include "entry/KindListModel.h"

#include <QByteArray>

#include "platform/Cp932.h"

namespace mametan {

void KindListModel::SetKinds(const std::vector<std::string>& kinds) {
  beginResetModel();
  m_texts.clear();
  m_textEnd.clear();
  m_bytes.clear();
  m_byteEnd.clear();
  std::size_t byteCount = 0;
  for (const std::string& kind : kinds) byteCount += kind.size();
  m_bytes.reserve(byteCount);
  m_texts.reserve(static_cast<qsizetype>(byteCount));
  m_textEnd.reserve(kinds.size());
  m_byteEnd.reserve(kinds.size());
  for (const std::string& kind : kinds) {
    m_texts += QString::fromStdString(cp932::Decode(kind));
    m_textEnd.push_back(m_texts.size());
    m_bytes += kind;
    m_byteEnd.push_back(m_bytes.size());
  }
  m_texts.squeeze();
  endResetModel();
}

int KindListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_textEnd.size());
}

QVariant KindListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() != 0 || index.row() < 0 ||
      static_cast<std::size_t>(index.row()) >= m_textEnd.size()) {
    return {};
  }
  const auto row = static_cast<std::size_t>(index.row());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
      const qsizetype start = row == 0 ? 0 : m_textEnd[row - 1];
      return m_texts.mid(start, m_textEnd[row] - start);
    }
    case Qt::UserRole: {
      const std::size_t start = row == 0 ? 0 : m_byteEnd[row - 1];
      return QByteArray(m_bytes.data() + start, static_cast<qsizetype>(m_byteEnd[row] - start));
    }
    default:
      return {};
  }
}

}  // namespace mametan
