#pragma once
// The file list of the toolkit's file dialog in Russian whatever the system's language: sizes
// with the right plural ("712 байт", "2 байта") and dates in the Russian short form. The
// toolkit writes both in the system's locale, and its Russian data put "712 байты".

#include <QIdentityProxyModel>

class QDateTime;

class RussianFileList : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override;

    // "712 байт", "1,50 КБ".
    static QString SizeText(qint64 bytes);
    // "07.12.2026 23:15".
    static QString DateText(const QDateTime& time);
};
