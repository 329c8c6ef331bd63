#include "qt/ClassificationList.h"

#include <QByteArray>
#include <QComboBox>
#include <QListView>
#include <QString>
#include <vector>

#include "qt/KindListModel.h"

namespace mametan {

void FillKinds(QComboBox* box, const std::vector<std::string>& kinds) {
  // One model for the whole list: an item object per line would take
  // seconds and hundreds of megabytes for a file of a million kinds.
  auto* model = qobject_cast<KindListModel*>(box->model());
  if (!model) {
    model = new KindListModel(box);
    box->setModel(model);  // the box deletes its previous model
  }
  model->SetKinds(kinds);
  // Neither the box nor its list measures every item: the box keeps its
  // designed size and every row is as high as the first.
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  if (auto* list = qobject_cast<QListView*>(box->view())) list->setUniformItemSizes(true);
}

std::optional<std::string> ListedKindBytes(const QComboBox* box) {
  const QString text = box->currentText();
  int index = box->currentIndex();
  if (index < 0 || box->itemText(index) != text) {
    index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  }
  if (index < 0) return std::nullopt;
  const QByteArray bytes = box->itemData(index).toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace mametan
