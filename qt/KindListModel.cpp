#include "qt/KindListModel.h"

#include <QByteArray>

#include "core/platform/Cp932.h"

namespace mametan {

void KindListModel::SetKinds(const std::vector<std::string>& kinds) {
  beginResetModel();
  m_bytes.clear();
  m_byteEnd.clear();
  std::size_t byteCount = 0;
  for (const std::string& kind : kinds) byteCount += kind.size() + 1;
  m_bytes.reserve(byteCount);
  m_byteEnd.reserve(kinds.size());
  m_textEnd.clear();
  m_textEnd.reserve(kinds.size());
  // Decoded many at a time, each kind followed by a line feed: no kind holds
  // one, and being no trail byte it joins no kind's last byte to the next.
  m_texts.clear();
  m_texts.reserve(static_cast<qsizetype>(byteCount));
  std::string joined;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    m_bytes += kinds[i];
    m_byteEnd.push_back(m_bytes.size());
    joined += kinds[i];
    joined += '\n';
    if (joined.size() >= (1u << 20) || i + 1 == kinds.size()) {
      m_texts += QString::fromStdString(cp932::Decode(joined));
      joined.clear();
    }
  }
  for (qsizetype i = 0; i < m_texts.size(); ++i) {
    if (m_texts[i] == QLatin1Char('\n')) m_textEnd.push_back(i);
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
      const qsizetype start = row == 0 ? 0 : m_textEnd[row - 1] + 1;
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
