#include "document/FeedDocument.h"

#include <stdexcept>

std::string& TFeedItem::Cell(int column) {
    return const_cast<std::string&>(static_cast<const TFeedItem&>(*this).Cell(column));
}

const std::string& TFeedItem::Cell(int column) const {
    switch (column) {
    case 0:
        return Title;
    case 1:
        return Date;
    case 2:
        return Address;
    case 3:
        return Description;
    default:
        throw std::out_of_range("item column " + std::to_string(column));
    }
}

bool TFeedItem::IsEmpty() const {
    return Title.empty() && Date.empty() && Address.empty() && Description.empty();
}
