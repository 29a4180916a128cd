#include <gtest/gtest.h>

#include <string>

#include "platform/asdcp/KM_xml.h"
#include "tests/support/test_support.h"

using Kumu::XMLElement;
using namespace lumavox_test;

namespace {
const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
}

TEST(XMLElementRender, AttributesInOrderEmptyElementsAndNesting) {
  XMLElement root("PackingList");
  root.SetAttr("xmlns:dsig", "http://www.w3.org/2000/09/xmldsig#");
  root.SetAttr("xmlns", "http://www.smpte-ra.org/schemas/429-8/2007/PKL");
  root.AddChildWithPrefixedContent("Id", "urn:uuid:", "0f1e2d3c-0000-4000-8000-000000000001");
  root.AddChild("RatingList");
  XMLElement* list = root.AddChild("AssetList");
  XMLElement* asset = list->AddChild("Asset");
  asset->AddChildWithContent("Size", std::string("1234"));
  asset->AddChildWithContent("Hash", "");
  XMLElement* chunk = asset->AddChild("ChunkList")->AddChild("Chunk");
  chunk->AddChildWithContent("VolumeIndex", "1");
  // Setting an attribute again keeps its place.
  root.SetAttr("xmlns:dsig", "x");

  std::string text;
  root.Render(text);
  EXPECT_EQ(text, std::string(kDeclaration) +
                      "<PackingList xmlns:dsig=\"x\" xmlns=\"http://www.smpte-ra.org/schemas/429-8/2007/PKL\">\n"
                      "  <Id>urn:uuid:0f1e2d3c-0000-4000-8000-000000000001</Id>\n"
                      "  <RatingList></RatingList>\n"
                      "  <AssetList>\n"
                      "    <Asset>\n"
                      "      <Size>1234</Size>\n"
                      "      <Hash></Hash>\n"
                      "      <ChunkList>\n"
                      "        <Chunk>\n"
                      "          <VolumeIndex>1</VolumeIndex>\n"
                      "        </Chunk>\n"
                      "      </ChunkList>\n"
                      "    </Asset>\n"
                      "  </AssetList>\n"
                      "</PackingList>\n");

  XMLElement lone("VolumeIndex");
  lone.Render(text);
  EXPECT_EQ(text, std::string(kDeclaration) + "<VolumeIndex></VolumeIndex>\n");
}

TEST(XMLElementRender, MarkupCharactersAreEscapedAndSurviveARoundTrip) {
  XMLElement root("CompositionPlaylist");
  root.SetAttr("note", "a \"quoted\" <tag> & more\nline");
  root.AddChildWithContent("AnnotationText", "Tom & Jerry <director's cut> ]]> & &amp;");
  std::string text;
  root.Render(text);
  EXPECT_EQ(text,
            std::string(kDeclaration) +
                "<CompositionPlaylist note=\"a &quot;quoted&quot; &lt;tag&gt; &amp; more&#10;line\">\n"
                "  <AnnotationText>Tom &amp; Jerry &lt;director's cut&gt; ]]&gt; &amp; &amp;amp;</AnnotationText>\n"
                "</CompositionPlaylist>\n");

  // An independent parser accepts it.
  TempDir dir;
  WriteText(dir / "doc.xml", text);
  LUMAVOX_REQUIRE_TOOL("xmllint");
  auto lint = RunCommand({"xmllint", "--noout", dir / "doc.xml"});
  EXPECT_EQ(lint.status, 0) << lint.err;

  // And our own reads back exactly what went in.
  XMLElement back("");
  ASSERT_TRUE(back.ParseString(text));
  ASSERT_NE(back.GetAttrWithName("note"), nullptr);
  EXPECT_STREQ(back.GetAttrWithName("note"), "a \"quoted\" <tag> & more\nline");
  ASSERT_NE(back.GetChildWithName("AnnotationText"), nullptr);
  EXPECT_EQ(back.GetChildWithName("AnnotationText")->GetBody(), "Tom & Jerry <director's cut> ]]> & &amp;");
}

TEST(XMLElementParse, ReferenceSubtitleDocuments) {
  std::string smpte = ReadText(SharedDir() + "/reference/subtitles/smpte/subs.xml");
  ASSERT_FALSE(smpte.empty());
  EXPECT_TRUE(Kumu::StringIsXML(smpte.c_str(), static_cast<uint32_t>(smpte.size())));
  XMLElement reel("");
  ASSERT_TRUE(reel.ParseString(smpte.c_str(), static_cast<uint32_t>(smpte.size())));
  EXPECT_TRUE(reel.HasName("SubtitleReel"));
  EXPECT_FALSE(reel.HasName("DCSubtitle"));
  EXPECT_EQ(reel.GetNamespace(), "http://www.smpte-ra.org/schemas/428-7/2010/DCST");
  ASSERT_NE(reel.GetChildWithName("Id"), nullptr);
  EXPECT_EQ(reel.GetChildWithName("Id")->GetBody(), "urn:uuid:77777777-0000-4000-8000-0000000000aa");
  XMLElement* font = reel.GetChildWithName("LoadFont");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->GetBody(), "urn:uuid:77777777-0000-4000-8000-0000000000f0");
  EXPECT_STREQ(font->GetAttrWithName("ID"), "font1");
  EXPECT_EQ(font->GetAttrWithName("URI"), nullptr);
  EXPECT_EQ(reel.GetChildWithName("Nothing"), nullptr);
  // Only direct children are found.
  EXPECT_EQ(reel.GetChildWithName("Subtitle"), nullptr);

  std::string interop = ReadText(SharedDir() + "/reference/subtitles/interop/subs_interop.xml");
  XMLElement sub("");
  ASSERT_TRUE(sub.ParseString(interop));
  EXPECT_TRUE(sub.HasName("DCSubtitle"));
  EXPECT_EQ(sub.GetNamespace(), "");
  EXPECT_EQ(sub.GetChildWithName("SubtitleID")->GetBody(), "77777777-0000-4000-8000-0000000000bb");
  EXPECT_STREQ(sub.GetChildWithName("LoadFont")->GetAttrWithName("URI"), "DejaVuSerif.ttf");
  XMLElement* spot = sub.GetChildWithName("Font")->GetChildWithName("Subtitle");
  ASSERT_NE(spot, nullptr);
  EXPECT_STREQ(spot->GetAttrWithName("TimeOut"), "00:00:00:229");
}

TEST(XMLElementParse, RefusesWhatIsNotWellFormed) {
  const char* bad[] = {
      "", "plain text", "<a><b></a>", "<a>&undefined;</a>", "<a/><b/>", "<x:a/>", "<a attr=\"1\" attr=\"2\"/>"};
  for (const char* text : bad) {
    EXPECT_FALSE(Kumu::StringIsXML(text, static_cast<uint32_t>(std::string(text).size()))) << text;
    XMLElement element("keep");
    EXPECT_FALSE(element.ParseString(std::string(text))) << text;
    EXPECT_TRUE(element.GetChildren().empty());
    EXPECT_EQ(element.GetName(), "");
  }
  // A length shorter than the text cuts the document.
  EXPECT_FALSE(Kumu::StringIsXML("<a></a>", 5));
  EXPECT_TRUE(Kumu::StringIsXML("<a></a>"));

  // Absurd nesting is refused rather than walked.
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  for (int i = 0; i < 100000; ++i) deep += "</a>";
  EXPECT_FALSE(Kumu::StringIsXML(deep.c_str(), static_cast<uint32_t>(deep.size())));
  XMLElement element("");
  EXPECT_FALSE(element.ParseString(deep));
}
