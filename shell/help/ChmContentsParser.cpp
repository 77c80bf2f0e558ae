#include "ChmContentsParser.h"

#include <QRegularExpression>

namespace korvel {

namespace {

QString AttributeValue(const QString& tag, const QString& attribute) {
    const QRegularExpression pattern(
        QStringLiteral(R"re(\b%1\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re").arg(attribute),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(tag);
    if (!match.hasMatch()) return {};
    for (int group = 1; group <= 3; ++group) {
        if (match.capturedStart(group) >= 0) return match.captured(group);
    }
    return {};
}

QString DecodeEntities(QString text) {
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&#39;", "'");
    return text.replace("&amp;", "&");
}

// Walks the sitemap tag by tag, keeping a stack of the lists that are open.
class SitemapReader {
public:
    std::vector<ChmTopic> Read(const QString& sitemap) {
        static const QRegularExpression tagPattern(R"(<\s*(/?)\s*([A-Za-z]+)([^>]*)>)");
        for (const QRegularExpressionMatch& tag : tagPattern.globalMatch(sitemap)) {
            HandleTag(tag.captured(1) == "/", tag.captured(2).toLower(), tag.captured(3));
        }
        return std::move(roots_);
    }

private:
    void HandleTag(bool closing, const QString& name, const QString& attributes) {
        if (name == "ul") {
            closing ? CloseList() : OpenList();
        } else if (name == "object") {
            closing ? CloseObject() : OpenObject(attributes);
        } else if (name == "param" && inTopic_) {
            ReadParameter(attributes);
        }
    }

    void OpenList() {
        // A list opened after an entry holds that entry's children.
        if (!openLists_.empty() && lastTopic_ != nullptr) {
            openLists_.push_back(&lastTopic_->children);
        } else {
            openLists_.push_back(openLists_.empty() ? &roots_ : openLists_.back());
        }
        lastTopic_ = nullptr;
    }

    void CloseList() {
        if (!openLists_.empty()) openLists_.pop_back();
        lastTopic_ = nullptr;
    }

    void OpenObject(const QString& attributes) {
        inTopic_ =
            AttributeValue(attributes, "type").compare("text/sitemap", Qt::CaseInsensitive) == 0;
        pending_ = ChmTopic{};
    }

    void CloseObject() {
        if (!inTopic_) return;
        inTopic_ = false;
        std::vector<ChmTopic>* list = openLists_.empty() ? &roots_ : openLists_.back();
        list->push_back(std::move(pending_));
        lastTopic_ = &list->back();
    }

    void ReadParameter(const QString& attributes) {
        const QString name = AttributeValue(attributes, "name").toLower();
        const QString value = DecodeEntities(AttributeValue(attributes, "value"));
        if (name == "name" && pending_.name.isEmpty()) pending_.name = value;
        if (name == "local" && pending_.path.isEmpty()) pending_.path = value;
    }

    std::vector<ChmTopic> roots_;
    std::vector<std::vector<ChmTopic>*> openLists_;
    ChmTopic* lastTopic_ = nullptr;
    ChmTopic pending_;
    bool inTopic_ = false;
};

}  // namespace

std::vector<ChmTopic> ChmContentsParser::Parse(const QString& sitemap) {
    return SitemapReader().Read(sitemap);
}

}  // namespace korvel
