#include "DeletionPass.h"

#include "ShellTrash.h"

#include <cerrno>
#include <ctime>

namespace dm {

namespace {

std::function<void()> &beforeFileHook()
{
    static std::function<void()> hook;
    return hook;
}

} // namespace

void DeletionPass::setBeforeFileHook(std::function<void()> hook)
{
    beforeFileHook() = std::move(hook);
}

DeletionPass::DeletionPass(ScanRoot root, std::vector<DeletionTarget> targets, Mode mode)
    : m_root(std::move(root)), m_targets(std::move(targets)), m_mode(mode)
{
}

void DeletionPass::run()
{
    FoundEntryRemover remover(m_root);
    m_trashed.started = std::time(nullptr);
    for (std::size_t i = 0; i < m_targets.size() && !stopRequested(); ++i) {
        if (beforeFileHook())
            beforeFileHook()();
        const DeletionTarget &t = m_targets[i];
        int error;
        if (m_mode == Mode::Permanent) {
            error = remover.remove(t.folder, t.name, t.version);
        } else {
            // Checked as for a deletion, then handed to the trash by path.
            error = remover.check(t.folder, t.name, t.version);
            if (error == 0)
                error = trashFile(t.folder + t.name);
            if (error == 0)
                m_trashed.paths.push_back(t.folder + t.name);
        }
        if (error == 0)
            m_removed.fetch_add(1, std::memory_order_relaxed);
        else if (error != ENOENT) // gone already: what the user wanted
            m_failures.push_back({i, error});
        m_done.fetch_add(1, std::memory_order_relaxed);
    }
    m_trashed.ended = std::time(nullptr);
}

void RestorePass::run()
{
    m_outcome = restoreFromTrash(m_record, &m_done, nullptr);
}

} // namespace dm
