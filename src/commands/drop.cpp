#include "commands/drop.h"

#include "adding/drop_files.h"
#include "platform/file_system.h"

DropItems::DropItems(RowList& files, QByteArrayList paths, const CommandContext& context)
    : files_(files), paths_(std::move(paths)), context_(context)
{
}

void DropItems::run()
{
    DropFiles::addDroppedItems(files_, paths_, context_.errors, context_.events);
}

AddGivenPaths::AddGivenPaths(RowList& files, QByteArrayList paths, const CommandContext& context)
    : files_(files), paths_(std::move(paths)), context_(context)
{
}

void AddGivenPaths::run()
{
    QByteArrayList present;
    for (const QByteArray& path : paths_) {
        // A drop only ever carries what exists; a typed path may name nothing. A dangling link
        // is still an entry, as the drop would take it.
        if (FileSystem::entryExistsAt(path)) present << path;
    }
    DropFiles::addDroppedItems(files_, present, context_.errors, context_.events);
}
