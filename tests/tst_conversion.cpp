// SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "conversion.h"
#include "warnings_fail.h"

#include <QTest>

class tst_Conversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { failOnAnyWarning(); }

    void acceptsSignedDecimal_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "12345" << 12345;
        QTest::newRow("leading zeros") << "007" << 7;
        QTest::newRow("plus sign") << "+5" << 5;
        QTest::newRow("zero padded five") << "05" << 5;
        QTest::newRow("negative") << "-3" << -3;
        QTest::newRow("minus zero") << "-0" << 0;
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("smallest") << "-2147483648" << (-2147483647 - 1);
        QTest::newRow("many leading zeros") << QString(500, u'0') + "42" << 42;
    }
    void acceptsSignedDecimal()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(StrToInt(text), value);
    }

    void rejectsEverythingElse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("letters after digits") << "12a";
        QTest::newRow("letter") << "a";
        QTest::newRow("sign only") << "+";
        QTest::newRow("minus only") << "-";
        QTest::newRow("double sign") << "--1";
        QTest::newRow("blank") << " ";
        QTest::newRow("leading blank") << " 5";
        QTest::newRow("trailing blank") << "5 ";
        QTest::newRow("one past largest") << "2147483648";
        QTest::newRow("one below smallest") << "-2147483649";
        QTest::newRow("thousand digits") << QString(1000, u'9');
        QTest::newRow("hex") << "0x10";
        QTest::newRow("decimal point") << "1.5";
        QTest::newRow("arabic-indic digit") << QString(QChar(0x0663));
        QTest::newRow("fullwidth digit") << QString(QChar(0xFF15));
        QTest::newRow("line break") << "1\n2";
        QTest::newRow("NUL inside") << QStringLiteral("5") + QChar(u'\0') + QStringLiteral("6");
    }
    void rejectsEverythingElse()
    {
        QFETCH(QString, text);
        try {
            (void)StrToInt(text);
            QFAIL("no conversion error");
        } catch (const EConvertError& error) {
            QCOMPARE(error.message(),
                     QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
        }
    }

    void writesPlainDecimal_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << "0";
        QTest::newRow("positive") << 100 << "100";
        QTest::newRow("negative") << -3 << "-3";
        QTest::newRow("smallest") << (-2147483647 - 1) << "-2147483648";
    }
    void writesPlainDecimal()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(IntToStr(value), text);
    }
};

QTEST_APPLESS_MAIN(tst_Conversion)
#include "tst_conversion.moc"
