#include "DiskModel.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace korvel::test {

namespace {

constexpr std::size_t kBlock = 4096;

std::string FolderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

}  // namespace

DiskModel::DiskModel(const DiskState& initial) {
    for (const auto& [path, file] : initial) {
        const std::size_t inode = NewInode(file.mode);
        inodes_[inode].bytes = inodes_[inode].durable = file.bytes;
        names_[path] = durableNames_[path] = inode;
    }
}

std::size_t DiskModel::NewInode(unsigned mode) {
    inodes_.push_back({{}, {}, mode, mode, false});
    return inodes_.size() - 1;
}

void DiskModel::ChangeName(Change change, const std::string& path, const std::string& newPath,
                           std::size_t inode) {
    pending_.push_back({change, FolderOf(path), path, newPath, inode});
    ApplyTo(names_, pending_.back());
}

void DiskModel::ApplyTo(Names& names, const NameChange& change) {
    if (change.change != Change::Add) names.erase(change.path);
    if (change.change == Change::Add) names[change.path] = change.inode;
    if (change.change == Change::Move) names[change.newPath] = change.inode;
}

void DiskModel::Sync(Inode& inode) const {
    if (inode.poisoned) return;
    inode.durable = inode.bytes;
    inode.durableMode = inode.mode;
}

void DiskModel::Apply(const RecordedCall& call) {
    if (call.error != 0) {
        if (call.op == FileOp::Sync && open_.contains(call.file)) {
            inodes_[open_.at(call.file)].poisoned = true;
        }
        if (call.op == FileOp::SyncFileSystem) {
            for (Inode& inode : inodes_) inode.poisoned |= inode.bytes != inode.durable;
        }
        if (call.op == FileOp::Close) open_.erase(call.file);
        return;
    }
    switch (call.op) {
        case FileOp::Open:
            if (call.onFolder) break;
            if (call.unnamed) {
                open_[call.file] = NewInode(call.value);
            } else if (names_.contains(call.path)) {
                open_[call.file] = names_.at(call.path);
            } else {
                open_[call.file] = NewInode(call.value);
                ChangeName(Change::Add, call.path, {}, open_[call.file]);
            }
            break;
        case FileOp::Write: {
            std::vector<std::uint8_t>& bytes = inodes_[open_.at(call.file)].bytes;
            bytes.resize(std::max<std::size_t>(bytes.size(), call.value + call.bytes.size()));
            std::copy(call.bytes.begin(), call.bytes.end(), bytes.begin() + call.value);
            break;
        }
        case FileOp::Sync:
            if (open_.contains(call.file)) Sync(inodes_[open_.at(call.file)]);
            break;
        case FileOp::SyncFileSystem:
            for (Inode& inode : inodes_) Sync(inode);
            break;
        case FileOp::SyncFolder: {
            const auto inFolder = [&](const NameChange& change) {
                return change.folder == call.path;
            };
            for (const NameChange& change : pending_) {
                if (inFolder(change)) ApplyTo(durableNames_, change);
            }
            std::erase_if(pending_, inFolder);
            break;
        }
        case FileOp::Link:
            ChangeName(Change::Add, call.path, {}, open_.at(call.file));
            break;
        case FileOp::Rename:
            ChangeName(Change::Move, call.path, call.newPath, names_.at(call.path));
            break;
        case FileOp::Unlink:
            ChangeName(Change::Remove, call.path, {}, names_.at(call.path));
            break;
        case FileOp::ChangeMode:
            inodes_[open_.at(call.file)].mode = static_cast<unsigned>(call.value);
            break;
        case FileOp::Close:
            open_.erase(call.file);
            break;
        case FileOp::Read:
        case FileOp::Seek:
        case FileOp::ChangeOwner:
            break;
    }
}

DiskState DiskModel::Visible() const {
    DiskState state;
    for (const auto& [path, inode] : names_)
        state[path] = {inodes_[inode].bytes, inodes_[inode].mode};
    return state;
}

// The bytes on the disk, then the later ones cut at the first and the last block boundary after
// them and not at all; a cut anywhere between is like one of those to every check.
std::vector<FileState> DiskModel::Candidates(const Inode& inode) const {
    std::vector<FileState> states{{inode.durable, inode.durableMode}};
    const bool appended =
        inode.bytes.size() >= inode.durable.size() &&
        std::equal(inode.durable.begin(), inode.durable.end(), inode.bytes.begin());
    if (inode.bytes == inode.durable || !appended) return states;
    std::set<std::size_t> lengths{inode.bytes.size()};
    const std::size_t first = (inode.durable.size() / kBlock + 1) * kBlock;
    if (first < inode.bytes.size())
        lengths.insert({first, (inode.bytes.size() - 1) / kBlock * kBlock});
    for (const std::size_t length : lengths) {
        states.push_back({{inode.bytes.begin(), inode.bytes.begin() + length}, inode.mode});
    }
    return states;
}

void DiskModel::EachContent(const Names& names,
                            const std::function<void(const DiskState&)>& visit) const {
    DiskState state;
    std::vector<std::pair<std::string, std::vector<FileState>>> open;
    for (const auto& [path, inode] : names) {
        std::vector<FileState> candidates = Candidates(inodes_[inode]);
        state[path] = candidates.front();
        if (candidates.size() > 1) open.emplace_back(path, std::move(candidates));
    }
    std::vector<std::size_t> choice(open.size(), 0);
    for (;;) {
        for (std::size_t at = 0; at < open.size(); ++at)
            state[open[at].first] = open[at].second[choice[at]];
        visit(state);
        std::size_t at = 0;
        while (at < open.size() && ++choice[at] == open[at].second.size()) choice[at++] = 0;
        if (at == open.size()) return;
    }
}

void DiskModel::EachCrashState(const std::function<void(const DiskState&)>& visit) const {
    std::map<std::string, std::vector<const NameChange*>> byFolder;
    for (const NameChange& change : pending_) byFolder[change.folder].push_back(&change);
    std::vector<std::pair<std::string, std::size_t>> kept;  // each folder's changes kept
    kept.reserve(byFolder.size());
    for (const auto& [folder, changes] : byFolder) kept.emplace_back(folder, 0);
    for (;;) {
        Names names = durableNames_;
        for (const NameChange& change : pending_) {
            const auto folder = std::find_if(
                kept.begin(), kept.end(), [&](const auto& k) { return k.first == change.folder; });
            const auto& changes = byFolder.at(change.folder);
            const std::size_t position =
                std::find(changes.begin(), changes.end(), &change) - changes.begin();
            if (position < folder->second) ApplyTo(names, change);
        }
        EachContent(names, visit);
        std::size_t at = 0;
        while (at < kept.size() && ++kept[at].second > byFolder.at(kept[at].first).size()) {
            kept[at++].second = 0;
        }
        if (at == kept.size()) return;
    }
}

}  // namespace korvel::test
