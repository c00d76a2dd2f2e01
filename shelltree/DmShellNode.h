#pragma once
// The nodes of the shell model; shared by its two source files only.

#include "DmShellModel.h"

#include <QFile>

struct TDmShellModel::Node
{
    Node *parent = nullptr;
    int row = 0;
    TDmShellNodeKind kind = snkFolder;
    QString name;  // the file name of a folder; the full path of the root and of places
    QByteArray rawName;  // the folder name's bytes, only where `name` cannot hold them
    QString caption;
    QStringList icons;
    bool hidden = false, link = false, canRename = false, mayHaveChildren = true;
    enum Fill { Unread, Read, Failed } fill = Unread;
    int fixed = 0;  // leading children that are not subfolders read from disk
    Nodes children;
    std::unique_ptr<Reading> reading;
    std::unique_ptr<TDmShellRequest> watch;
    QString watchedPath;

    // The file name as the file system has it: what tells two folders apart.
    QByteArray nameBytes() const { return rawName.isEmpty() ? QFile::encodeName(name) : rawName; }
};

// A pending read of one node; the model counts them to tell when all are done.
struct TDmShellModel::Reading
{
    TDmShellModel *model;
    std::unique_ptr<TDmShellRequest> request;
    explicit Reading(TDmShellModel *m) : model(m)
    {
        if (model->m_reading++ == 0)
            Q_EMIT model->readingStarted();
    }
    ~Reading()
    {
        request.reset();
        model->readingEnded();
    }
};

