// A comparison table as a CSV file: UTF-8 with a byte-order mark, commas,
// CR LF after every line, header rows and columns included. The comparison
// window and zentory-cli write it with these functions, byte for byte the
// same.
#pragma once

#include <QByteArray>
#include <QString>

#include "CompareTable.h"

// One cell's text as it is written between the commas.
QString CsvField(const QString& text);

// The whole file.
QByteArray CompareTableCsv(const tyCompareTable& table);

// Writes the file in one piece: into a temporary file beside it that is
// renamed over it only when everything was written, so a failure leaves an
// existing file as it was and no partial file behind. False with the
// message for the error box ("Cannot create file "NAME". REASON").
bool WriteCompareCsv(const tyCompareTable& table, const QString& fileName, QString& error);
