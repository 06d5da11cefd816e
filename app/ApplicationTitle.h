#pragma once

#include <QString>

namespace quillora {

// The product title: the window caption and the settings group.
inline const QString kProductTitle = QStringLiteral("Quillora");

// The short title every untitled message box shows: the product title, losing
// whole words from its end while it is longer than 40 characters.
QString ShortApplicationTitle(const QString& productTitle);

// Makes ShortApplicationTitle(productTitle) the application title.
void SetApplicationTitle(const QString& productTitle);

// The application title; the product title until SetApplicationTitle runs.
QString ApplicationTitle();

}  // namespace quillora
