#pragma once

#include <QList>

#include "DiadocList.h"

namespace platform::diadoc {

// A list of the emulated client: a fixed sequence of values, objects or Nothing.
class SandboxList final : public DiadocList
{
public:
    explicit SandboxList(QList<Variant> items = {});

    template <typename T> static std::shared_ptr<SandboxList> of(const QList<std::shared_ptr<T>>& objects)
    {
        QList<Variant> items;
        items.reserve(objects.size());
        for (const auto& object : objects)
            items.append(Variant(object));
        return std::make_shared<SandboxList>(std::move(items));
    }

    int Count() const override;
    Variant GetItem(int index) const override;

private:
    QList<Variant> m_items;
};

} // namespace platform::diadoc
