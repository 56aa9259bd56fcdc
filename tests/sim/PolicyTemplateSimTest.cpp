// The administrative template shipped in policy/ names exactly the policy values the program
// reads, each with its key, value name, type and range, and every text and presentation it
// refers to is in the English language file.

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "ui/Policies.h"
#include "util/Text.h"

namespace lw::test {
namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(LW_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Attribute(const std::string& tag, const std::string& name) {
  std::smatch match;
  if (!std::regex_search(tag, match, std::regex("\\s" + name + "=\"([^\"]*)\""))) return "";
  return match[1];
}

// "key|value|type|minimum|maximum" for each registry value a template's policy writes.
std::set<std::string> TemplateValues(const std::string& admx) {
  std::set<std::string> values;
  const std::regex policy("<policy\\s[^>]*>[\\s\\S]*?</policy>");
  for (auto it = std::sregex_iterator(admx.begin(), admx.end(), policy);
       it != std::sregex_iterator(); ++it) {
    const std::string block = it->str();
    const std::string open = block.substr(0, block.find('>') + 1);
    const std::string key = LowerCase(Attribute(open, "key"));
    // A switch: the policy's own value, 1 when enabled and 0 when disabled.
    if (!Attribute(open, "valueName").empty()) {
      EXPECT_NE(block.find("<enabledValue>"), std::string::npos) << open;
      values.insert(key + "|" + Attribute(open, "valueName") + "|number|0|1");
    }
    const std::regex element("<(decimal|list)\\s[^>]*/>");
    for (auto e = std::sregex_iterator(block.begin(), block.end(), element);
         e != std::sregex_iterator(); ++e) {
      const std::string tag = e->str();
      if ((*e)[1] == "decimal" && !Attribute(tag, "valueName").empty()) {
        values.insert(key + "|" + Attribute(tag, "valueName") + "|number|" +
                      Attribute(tag, "minValue") + "|" + Attribute(tag, "maxValue"));
      } else if ((*e)[1] == "list") {
        values.insert(LowerCase(Attribute(tag, "key")) + "||list||");
      }
    }
  }
  return values;
}

// The same, from the table the program reads.
std::set<std::string> ProgramValues() {
  const std::string key = LowerCase(std::string(kOrganisationPolicyKey).substr(1));
  std::set<std::string> values;
  for (const PolicyValue& value : PolicyValues()) {
    if (value.type == PolicyType::kList) {
      values.insert(key + "\\" + LowerCase(value.name) + "||list||");
    } else {
      values.insert(key + "|" + value.name + "|number|" + std::to_string(value.minimum) + "|" +
                    std::to_string(value.maximum));
    }
  }
  return values;
}

TEST(PolicyTemplateSimTest, TheTemplateNamesExactlyTheValuesTheProgramReads) {
  const std::string admx = ReadSource("policy/launchward.admx");
  ASSERT_FALSE(admx.empty());
  EXPECT_EQ(TemplateValues(admx), ProgramValues());
  // Only the machine's policies: a user's hive must not steer the program.
  EXPECT_EQ(admx.find("class=\"User\""), std::string::npos);
  EXPECT_EQ(admx.find("class=\"Both\""), std::string::npos);
}

TEST(PolicyTemplateSimTest, EveryTextAndPresentationIsInTheLanguageFile) {
  const std::string admx = ReadSource("policy/launchward.admx");
  const std::string adml = ReadSource("policy/en-US/launchward.adml");
  ASSERT_FALSE(adml.empty());
  const std::regex reference("\\$\\((string|presentation)\\.([A-Za-z0-9_]+)\\)");
  int references = 0;
  for (auto it = std::sregex_iterator(admx.begin(), admx.end(), reference);
       it != std::sregex_iterator(); ++it, ++references) {
    const std::string tag = (*it)[1] == "string" ? "<string id=\"" : "<presentation id=\"";
    EXPECT_NE(adml.find(tag + (*it)[2].str() + "\""), std::string::npos) << it->str();
  }
  EXPECT_GT(references, 0);
  // Each policy explains itself.
  const std::regex policy("<policy\\s[^>]*>");
  for (auto it = std::sregex_iterator(admx.begin(), admx.end(), policy);
       it != std::sregex_iterator(); ++it) {
    EXPECT_FALSE(Attribute(it->str(), "explainText").empty()) << it->str();
  }
}

}  // namespace
}  // namespace lw::test
