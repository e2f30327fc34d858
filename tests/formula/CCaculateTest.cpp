#include "formula/CCaculate.h"
#include "formula/CKvVarList.h"

#include <gtest/gtest.h>

namespace {

// The result text of an expression that must evaluate.
QString calc(const QString& expression, const CKvVarList* vars = nullptr) {
  CCaculate c(vars);
  QString result;
  EXPECT_TRUE(c.EvaluateText(expression, &result)) << expression.toStdString() << ": "
                                                    << c.ErrorText().toStdString();
  return result;
}

// The error text of an expression that must fail.
QString error(const QString& expression, const CKvVarList* vars = nullptr) {
  CCaculate c(vars);
  double value = 12345.0;
  EXPECT_FALSE(c.Evaluate(expression, &value)) << expression.toStdString();
  EXPECT_EQ(value, 12345.0) << "a failure must not write a value";
  EXPECT_FALSE(c.ErrorText().isEmpty());
  return c.ErrorText();
}

}  // namespace

TEST(CCaculate, SixPrecedenceLevels) {
  // multiplicative over additive, left to right within a level
  EXPECT_EQ(calc("1+2*3"), "7");
  EXPECT_EQ(calc("10-4-3"), "3");
  EXPECT_EQ(calc("64/4/2"), "8");
  EXPECT_EQ(calc("2*3^2"), "18");
  // power is right to left and above the sign
  EXPECT_EQ(calc("2^3^2"), "512");
  EXPECT_EQ(calc("-2^2"), "-4");
  EXPECT_EQ(calc("(-2)^2"), "4");
  EXPECT_EQ(calc("2^-1"), "0.5");
  EXPECT_EQ(calc("2*-3"), "-6");
  EXPECT_EQ(calc("2--3"), "5");
  EXPECT_EQ(calc("-+-4"), "4");
  // comparisons are the lowest level and give 1 or 0
  EXPECT_EQ(calc("1+2=3"), "1");
  EXPECT_EQ(calc("2*3<5"), "0");
  EXPECT_EQ(calc("3<>3"), "0");
  EXPECT_EQ(calc("3>=3"), "1");
  EXPECT_EQ(calc("3<=2"), "0");
  EXPECT_EQ(calc("4>3"), "1");
  EXPECT_EQ(calc("(1<2)+(2<1)"), "1");
  // equality ignores binary rounding noise
  EXPECT_EQ(calc("0.1+0.2=0.3"), "1");
  EXPECT_EQ(calc("0.1+0.2<0.3"), "0");
  // brackets, blanks
  EXPECT_EQ(calc(" ( 1 + 2 ) * ( 3 + 4 ) "), "21");
  EXPECT_EQ(calc("((((5))))"), "5");
}

TEST(CCaculate, NumbersAndResultText) {
  EXPECT_EQ(calc(".5+5."), "5.5");
  EXPECT_EQ(calc("007"), "7");
  EXPECT_EQ(calc("0.1+0.2"), "0.3");
  EXPECT_EQ(calc("1/3"), "0.3333333333");
  EXPECT_EQ(calc("2/3"), "0.6666666667");
  EXPECT_EQ(calc("-1/3"), "-0.3333333333");
  EXPECT_EQ(calc("1234567.1+0.2"), "1234567.3");
  EXPECT_EQ(calc("100000000*100000000"), "10000000000000000");
  EXPECT_EQ(calc("-0"), "0");
  EXPECT_EQ(calc("0*-5"), "0");
  EXPECT_EQ(calc("0.00000000001"), "0");
  EXPECT_EQ(CCaculate::ResultText(-0.00000000001), "0");
  EXPECT_EQ(CCaculate::ResultText(1250.5), "1250.5");
}

TEST(CCaculate, Functions) {
  EXPECT_EQ(calc("ABS(-3.5)"), "3.5");
  EXPECT_EQ(calc("abs(3)"), "3");
  EXPECT_EQ(calc("INT(2.9)"), "2");
  EXPECT_EQ(calc("INT(-2.5)"), "-3");
  EXPECT_EQ(calc("ROUND(2.5)"), "3");
  EXPECT_EQ(calc("ROUND(-2.5)"), "-3");
  EXPECT_EQ(calc("ROUND(2.675,2)"), "2.68");
  EXPECT_EQ(calc("ROUND(1.005,2)"), "1.01");
  EXPECT_EQ(calc("ROUND(-1.005,2)"), "-1.01");
  EXPECT_EQ(calc("ROUND(99.996,2)"), "100");
  EXPECT_EQ(calc("ROUND(1234.5,-2)"), "1200");
  EXPECT_EQ(calc("ROUND(1250,-2)"), "1300");
  EXPECT_EQ(calc("ROUND(49,-3)"), "0");
  EXPECT_EQ(calc("ROUND(1.23,5)"), "1.23");
  EXPECT_EQ(calc("Round(10/3, 1.9)"), "3.3");
  // just below the largest double
  EXPECT_EQ(calc("ROUND(2^1023*1.99,-306)"), CCaculate::ResultText(1.79e308));
  EXPECT_EQ(calc("MAX(3)"), "3");
  EXPECT_EQ(calc("MAX(1,5,3,-7)"), "5");
  EXPECT_EQ(calc("MIN(1,5,3,-7)"), "-7");
  EXPECT_EQ(calc("MAX(1+1, 2*2) ^ 2"), "16");
  EXPECT_EQ(calc("SQRT(16)+SQRT(0)"), "4");
  EXPECT_EQ(calc("ABS(1>2)"), "0");
  EXPECT_EQ(calc("-ABS(-2)^2"), "-4");
}

TEST(CCaculate, FullWidthInputFromAChineseInputMethod) {
  EXPECT_EQ(calc("１２．５＋３"), "15.5");
  EXPECT_EQ(calc("（１＋２）×３÷２"), "4.5");
  EXPECT_EQ(calc("６＊２／４－１"), "2");
  EXPECT_EQ(calc("２＾３"), "8");
  EXPECT_EQ(calc("３＞＝３"), "1");
  EXPECT_EQ(calc("３＜＞３"), "0");
  EXPECT_EQ(calc("ＭＡＸ（１，２、３）"), "3");
  EXPECT_EQ(calc("1\u3000+\u30002"), "3");
  EXPECT_EQ(calc("1。5*2"), "3");
  // one character for one, so positions in messages match what was typed
  EXPECT_EQ(CCaculate::Normalize("（１＋２）×３"), "(1+2)*3");
}

TEST(CCaculate, ErrorsAreReportedNotComputed) {
  EXPECT_EQ(error(""), "表达式为空。");
  EXPECT_EQ(error("   "), "表达式为空。");
  EXPECT_EQ(error("1/0"), "除数为零。");
  EXPECT_EQ(error("1/(2-2)"), "除数为零。");
  EXPECT_EQ(error("0^-1"), "除数为零。");
  EXPECT_EQ(error("(1+2"), "括号不匹配：缺少右括号。");
  EXPECT_EQ(error("MAX(1,2"), "括号不匹配：缺少右括号。");
  EXPECT_EQ(error("1+2)"), "括号不匹配：第4个字符“)”是多余的右括号。");
  EXPECT_EQ(error("1+"), "表达式不完整，末尾缺少运算数。");
  EXPECT_EQ(error("1+*2"), "第3个字符“*”前缺少运算数。");
  EXPECT_EQ(error("()"), "第2个字符“)”前缺少运算数。");
  EXPECT_EQ(error("2 3"), "第3个字符“3”前缺少运算符。");
  EXPECT_EQ(error("2(3)"), "第2个字符“(”前缺少运算符。");
  EXPECT_EQ(error("1,5"), "第2个字符“,”多余：逗号只用来分隔函数的参数。");
  EXPECT_EQ(error("1#2"), "第2个字符“#”无法识别。");
  EXPECT_EQ(error("1.2.3"), "第4个字符“.”是多余的小数点。");
  EXPECT_EQ(error("."), "第1个字符“.”不是数值。");
  EXPECT_EQ(error("FOO(1)"), "未知函数“FOO”。");
  EXPECT_EQ(error("x+1"), "未知变量“x”。");
  EXPECT_EQ(error("ABS()"), "函数“ABS”的参数个数不对。");
  EXPECT_EQ(error("ROUND(1,2,3)"), "函数“ROUND”的参数个数不对。");
  EXPECT_EQ(error("MIN()"), "函数“MIN”的参数个数不对。");
  EXPECT_EQ(error("MAX(1,)"), "第7个字符“)”前缺少运算数。");
  EXPECT_EQ(error("SQRT(-1)"), "负数不能开平方。");
  EXPECT_EQ(error("(-8)^0.5"), "乘方运算无意义：负数不能开方。");
  EXPECT_EQ(error("10^400"), "计算结果超出范围。");
  EXPECT_EQ(error("ROUND(2^1023*1.99,-307)"), "计算结果超出范围。");
  EXPECT_EQ(error("1" + QString(400, u'0')), "数值“1" + QString(400, u'0') + "”超出范围。");
  // the position counts what was typed, full-width characters included
  EXPECT_EQ(error("１＋２）"), "括号不匹配：第4个字符“)”是多余的右括号。");
}

TEST(CCaculate, DeepNestingFailsInsteadOfCrashing) {
  const QString deep = QString(100000, u'(') + "1" + QString(100000, u')');
  EXPECT_EQ(error(deep), "表达式嵌套过深。");
  EXPECT_EQ(error(QString(100000, u'-') + "1"), "表达式嵌套过深。");
  EXPECT_EQ(calc(QString(50, u'(') + "1" + QString(50, u')')), "1");
}

TEST(CCaculate, VariablesOfTheGivenList) {
  const int soft = 9901;
  CKvVarList::RegisterBuiltIn(soft, {2, "学费", "1200", "每学期学费", 0});
  CKvVarList::RegisterBuiltIn(soft, {1, "Rate", "0.5", "", 0});
  CKvVarList::RegisterBuiltIn(soft, {3, "减免", "学费*RATE", "", 0});
  CKvVarList::RegisterBuiltIn(soft, {4, "A", "B+1", "", 0});
  CKvVarList::RegisterBuiltIn(soft, {5, "B", "A+1", "", 0});
  CKvVarList::RegisterBuiltIn(soft, {6, "Bad", "1/0", "", 0});
  CKvVarList::RegisterBuiltIn(soft, {7, "UsesBad", "Bad+1", "", 0});
  CKvVarList vars(soft);
  vars.Reload();
  EXPECT_EQ(calc("学费-减免", &vars), "600");
  EXPECT_EQ(calc("rate*4", &vars), "2");
  EXPECT_EQ(calc("ＲＡＴＥ＋１", &vars), "1.5");
  EXPECT_EQ(calc("学费+学费", &vars), "2400");  // used twice is not a cycle
  EXPECT_EQ(error("A", &vars), "变量“A”循环引用。");
  EXPECT_EQ(error("UsesBad", &vars), "变量“Bad”的表达式有误：除数为零。");
  EXPECT_EQ(error("学杂费", &vars), "未知变量“学杂费”。");
  // a name before a bracket is always a function
  EXPECT_EQ(error("学费(1)", &vars), "未知函数“学费”。");
  // without a list no name is known
  EXPECT_EQ(error("学费"), "未知变量“学费”。");
}
